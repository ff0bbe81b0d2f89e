#include "ContentCommit.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "IoError.h"

namespace vomtrail {
namespace {

// Old bytes go through memory in blocks of this size where the system
// cannot copy them itself: a few MiB at most, whatever the file's size.
constexpr std::int64_t kCopyBlock = std::int64_t{1} << 20;
// The most old bytes an edit in place holds in memory to put back on
// failure (tag bytes, normally a few KiB); an edit that overwrites or cuts
// more goes through a new file where it can.
constexpr std::int64_t kMostSavedBytes = std::int64_t{8} << 20;

std::int64_t EndOf(std::span<const ContentRun> runs) {
  return runs.empty() ? 0 : runs.back().start + runs.back().length;
}

bool MovesOldBytes(std::span<const ContentRun> runs) {
  return std::any_of(runs.begin(), runs.end(),
                     [](const ContentRun& r) { return !r.IsNew() && r.from != r.start && r.length > 0; });
}

bool KeepsOldBytesInPlace(std::span<const ContentRun> runs) {
  return std::any_of(runs.begin(), runs.end(),
                     [](const ContentRun& r) { return !r.IsNew() && r.from == r.start && r.length > 0; });
}

void ReadExactly(File& file, std::int64_t offset, std::span<std::byte> out) {
  if (file.ReadAt(offset, out) != out.size()) Fail(Win32Error::HandleEof);
}

std::unique_ptr<std::byte[]> CopyBuffer() { return std::make_unique_for_overwrite<std::byte[]>(kCopyBlock); }

void FillStandIn(File& file, StandIn& standIn, std::span<const ContentRun> runs) {
  std::unique_ptr<std::byte[]> buffer;
  for (const ContentRun& run : runs) {
    if (run.IsNew()) {
      standIn.WriteAt(run.start, run.bytes);
      continue;
    }
    for (std::int64_t done = standIn.CopyFromOriginal(run.from, run.start, run.length); done < run.length;) {
      if (!buffer) buffer = CopyBuffer();
      const std::span<std::byte> block(buffer.get(),
                                       static_cast<std::size_t>(std::min(kCopyBlock, run.length - done)));
      ReadExactly(file, run.from + done, block);
      standIn.WriteAt(run.start + done, block);
      done += static_cast<std::int64_t>(block.size());
    }
  }
}

// Old bytes an edit in place overwrites or cuts off, kept to put back.
struct SavedBytes {
  std::int64_t offset;
  std::vector<std::byte> bytes;
};

// The ranges of the old file that an edit in place overwrites or cuts off.
template <typename Visit>
void ForEachChangedOldRange(std::span<const ContentRun> runs, std::int64_t oldLength, Visit visit) {
  for (const ContentRun& run : runs) {
    const std::int64_t end = std::min(run.start + run.length, oldLength);
    if (run.IsNew() && run.start < end) visit(run.start, end - run.start);
  }
  const std::int64_t newLength = EndOf(runs);
  if (newLength < oldLength) visit(newLength, oldLength - newLength);
}

std::int64_t ChangedOldBytes(std::span<const ContentRun> runs, std::int64_t oldLength) {
  std::int64_t total = 0;
  ForEachChangedOldRange(runs, oldLength, [&](std::int64_t, std::int64_t count) { total += count; });
  return total;
}

std::vector<SavedBytes> SaveOldBytes(File& file, std::span<const ContentRun> runs, std::int64_t oldLength) {
  std::vector<SavedBytes> saved;
  ForEachChangedOldRange(runs, oldLength, [&](std::int64_t offset, std::int64_t count) {
    SavedBytes& s =
        saved.emplace_back(SavedBytes{offset, std::vector<std::byte>(static_cast<std::size_t>(count))});
    ReadExactly(file, offset, s.bytes);
  });
  return saved;
}

// After a failure part-way: each old range written back, the old length
// restored, as far as the system still lets it. When another program
// changed the file's length meanwhile, the length is left alone: cutting
// would take its bytes.
void PutBack(File& file, const std::vector<SavedBytes>& saved, std::int64_t oldLength,
             bool restoreLength) noexcept {
  for (const SavedBytes& s : saved) {
    try {
      file.WriteAt(s.offset, s.bytes);
    } catch (...) {
    }
  }
  try {
    if (restoreLength) file.Truncate(oldLength);
    file.Flush();
  } catch (...) {
  }
}

// Takes the space of every new byte before the first write, so a full disk
// fails with the file untouched; space taken before the failure is given
// back.
void ReserveNewBytes(File& file, std::span<const ContentRun> runs, std::int64_t oldLength) {
  try {
    for (const ContentRun& run : runs)
      if (run.IsNew()) file.Reserve(run.start, run.length);
  } catch (...) {
    try {
      file.Truncate(oldLength);
    } catch (...) {
    }
    throw;
  }
}

void EditInPlace(File& file, std::span<const ContentRun> runs) {
  const std::int64_t oldLength = file.Size();
  const std::int64_t newLength = EndOf(runs);
  file.ExpectUnchanged();
  ReserveNewBytes(file, runs, oldLength);
  const std::vector<SavedBytes> saved = SaveOldBytes(file, runs, oldLength);

  std::vector<const ContentRun*> writes;
  for (const ContentRun& run : runs)
    if (run.IsNew() && run.length > 0) writes.push_back(&run);
  bool changedByOthers = false;
  // A look right before the first write and right before the cut or the
  // last write: what another program appended meanwhile is neither written
  // over nor cut off.
  const auto look = [&] {
    try {
      file.ExpectUnchanged();
    } catch (const IoError& e) {
      changedByOthers = e.Code() == static_cast<std::uint32_t>(Win32Error::SharingViolation);
      throw;
    }
  };
  try {
    look();
    // The tail first, the head (a RIFF size word) last: until the head is
    // written it describes the old file, and the tags behind the audio are
    // the old ones or, once written, the new ones.
    for (std::size_t i = writes.size(); i-- > 1;) file.WriteAt(writes[i]->start, writes[i]->bytes);
    // A shorter file is cut once its new tail stands: cutting first would
    // take the old tags before the new ones are there.
    look();
    if (newLength < oldLength) file.Truncate(newLength);
    if (!writes.empty()) file.WriteAt(writes[0]->start, writes[0]->bytes);
    file.Flush();
  } catch (...) {
    PutBack(file, saved, oldLength, !changedByOthers);
    throw;
  }
}

// Copies one run of old bytes to its new offset within the file, in blocks
// ordered so that no block overwrites old bytes still to be copied.
void MoveWithinFile(File& file, const ContentRun& run) {
  const auto buffer = CopyBuffer();
  const bool backwards = run.start > run.from;
  for (std::int64_t done = 0; done < run.length;) {
    const std::int64_t n = std::min(kCopyBlock, run.length - done);
    const std::int64_t at = backwards ? run.length - done - n : done;
    const std::span<std::byte> block(buffer.get(), static_cast<std::size_t>(n));
    ReadExactly(file, run.from + at, block);
    file.WriteAt(run.start + at, block);
    done += n;
  }
}

// The way of old, for files no new file can stand in for: the content is
// moved within the file. New bytes over old bytes still to be moved are
// written after the move. Several moved runs are read into memory first.
void MoveInPlace(File& file, std::span<const ContentRun> runs) {
  const std::int64_t oldLength = file.Size();
  const std::int64_t newLength = EndOf(runs);
  file.ExpectUnchanged();
  if (newLength > oldLength) {
    ContentRun growth;
    growth.start = oldLength;
    growth.length = newLength - oldLength;
    ReserveNewBytes(file, std::span(&growth, 1), oldLength);
  }

  std::vector<const ContentRun*> moved;
  for (const ContentRun& run : runs)
    if (!run.IsNew() && run.from != run.start && run.length > 0) moved.push_back(&run);
  const auto overSource = [&](const ContentRun& r) {
    return std::any_of(moved.begin(), moved.end(), [&](const ContentRun* m) {
      return r.start < m->from + m->length && m->from < r.start + r.length;
    });
  };
  for (const ContentRun& run : runs)
    if (run.IsNew() && !overSource(run)) file.WriteAt(run.start, run.bytes);
  if (moved.size() == 1) {
    MoveWithinFile(file, *moved[0]);
  } else {
    std::vector<std::vector<std::byte>> held;
    for (const ContentRun* m : moved) {
      ReadExactly(file, m->from, held.emplace_back(static_cast<std::size_t>(m->length)));
    }
    for (std::size_t i = 0; i < moved.size(); ++i) file.WriteAt(moved[i]->start, held[i]);
  }
  for (const ContentRun& run : runs)
    if (run.IsNew() && overSource(run)) file.WriteAt(run.start, run.bytes);
  if (newLength < oldLength) file.Truncate(newLength);
  file.Flush();
}

}  // namespace

CommitWay CommitContent(File& file, std::span<const ContentRun> runs, const char* keepOldAs) {
  if (keepOldAs != nullptr) {
    InPlaceReason why = InPlaceReason::None;
    std::unique_ptr<StandIn> standIn = file.NewStandIn(why);
    if (!standIn || !standIn->KeepOriginalAs(keepOldAs)) Fail(Win32Error::NotSupported);
    FillStandIn(file, *standIn, runs);
    if (!standIn->Replace()) Fail(Win32Error::NotSupported);
    return CommitWay::NewFile;
  }
  const bool moves = MovesOldBytes(runs);
  // Content that keeps nothing of the old file in place is written whole
  // into a new file too: one step from old to new.
  if (moves || !KeepsOldBytesInPlace(runs) || ChangedOldBytes(runs, file.Size()) > kMostSavedBytes) {
    InPlaceReason why = InPlaceReason::None;
    if (std::unique_ptr<StandIn> standIn = file.NewStandIn(why)) {
      FillStandIn(file, *standIn, runs);
      if (standIn->Replace()) return CommitWay::NewFile;
    }
  }
  if (moves) {
    MoveInPlace(file, runs);
    return CommitWay::MovedInPlace;
  }
  EditInPlace(file, runs);
  return CommitWay::InPlace;
}

const char* Describe(InPlaceReason reason) {
  switch (reason) {
    case InPlaceReason::None:
      return "a new file takes the old one's place";
    case InPlaceReason::HardLinks:
      return "the file has more than one name (hard links)";
    case InPlaceReason::FolderRefused:
      return "the folder does not let a new file be made or renamed there";
    case InPlaceReason::OwnerNotKept:
      return "a new file could not keep the file's owner and group";
    case InPlaceReason::AttributesNotKept:
      return "a new file could not keep the file's mode, attributes or ACLs";
    case InPlaceReason::ReplaceRefused:
      return "the file system refused to replace the file";
  }
  return "unknown";
}

}  // namespace vomtrail
