// Rewriting arbitrary files from arbitrary records in every mode. Input:
//   byte 0  write mode (mostly 0 to 2; 0xF0 and up as they stand)
//   byte 1  FileKind in the record (the same way)
//   byte 2  bit 0 HasTag, bits 1-2 TagKind, bits 3-4 the fault: 1 = the
//           file operation numbered by byte 3 fails, 2 = the disk holds
//           16 * byte 3 bytes more than the file, 3 = the process is
//           killed at the operation numbered by byte 3; bits 5-7 what
//           the file system allows: 1 = the file has two names, 2 = the
//           folder takes no new file, 3 = the replace is refused, 4 = no
//           copy by the system (old bytes pass through memory)
//   byte 3  the fault's parameter
//   byte 4  Track (bit 7 also sets bit 8, whose byte is never written)
//   byte 5  the byte the whole record is filled with first
//   byte 6  count of texts that follow, each: item number, length, bytes
//   rest    the file
// Each input is rewritten once on a faultless disk, where the result code,
// the new file's bytes and what GetFileInfo reads back from it are all
// known in advance, and once more with the fault, where the outcome must
// match the faultless run as far as the fault allows: a failure leaves the
// old file byte for byte and nothing beside it; a kill leaves the old file
// or the new one, or (edits in place) one the same call completes.
#include <algorithm>
#include <cstring>
#include <optional>

#include "ExpectedFile.h"
#include "FuzzCheck.h"
#include "GetInfo.h"
#include "InputCursor.h"
#include "IoError.h"
#include "KnownCodes.h"
#include "MemoryFileSystem.h"
#include "ReadBack.h"
#include "RecordSnapshot.h"
#include "SetInfo.h"

using namespace vomtrail;
using vomtrail::fuzzing::Bytes;
using vomtrail::fuzzing::InputCursor;

namespace {

constexpr std::uint32_t kNotSupported = 50;
constexpr std::uint32_t kDiskFull = 112;
constexpr std::uint32_t kInjectedCode = 1117;

enum class Fault { None, FailingOperation, SmallDisk, Kill };
enum class Obstacle { None, HardLinks, FolderRefuses, ReplaceRefused, NoSystemCopy };

struct Case {
  std::uint8_t mode = 0;
  Fault fault = Fault::None;
  Obstacle obstacle = Obstacle::None;
  std::uint8_t faultParameter = 0;
  Bytes file;
};

std::uint8_t Selector(std::uint8_t b) { return b < 0xF0 ? b % 3 : b; }

// Record storage with the full tail padding, so that bytes behind HasTag
// exist and can be watched.
struct Record {
  alignas(TagInfo) unsigned char bytes[sizeof(TagInfo)];
  TagInfo& info() { return *reinterpret_cast<TagInfo*>(bytes); }
};

Case ReadCase(InputCursor& input, Record& record) {
  Case c;
  c.mode = Selector(input.Byte());
  const std::uint8_t kind = Selector(input.Byte());
  const std::uint8_t flags = input.Byte();
  c.faultParameter = input.Byte();
  const std::uint8_t track = input.Byte();
  std::memset(record.bytes, input.Byte(), sizeof record.bytes);
  TagInfo& info = record.info();
  info.FileKind = kind;
  info.HasTag = flags & 1;
  info.TagKind = static_cast<std::uint8_t>((flags >> 1) & 3);
  info.Track = track | ((track & 0x80) << 1);
  const std::uint8_t faultKind = (flags >> 3) & 3;
  constexpr Fault kFaults[] = {Fault::None, Fault::FailingOperation, Fault::SmallDisk, Fault::Kill};
  c.fault = kFaults[faultKind];
  const std::uint8_t obstacle = flags >> 5;
  c.obstacle = obstacle <= 4 ? static_cast<Obstacle>(obstacle) : Obstacle::None;
  for (std::size_t texts = input.Byte() % 32; texts > 0; --texts) {
    Str255& item = info.Items[input.Byte() % VT_ITEM_COUNT];
    item.Length = input.Byte();
    const auto text = input.Take(item.Length);
    std::memcpy(item.Text, text.data(), text.size());
  }
  const auto rest = input.Rest();
  c.file.assign(rest.begin(), rest.end());
  return c;
}

bool Builds(std::uint8_t kind, std::uint8_t mode) {
  return kind <= VT_KIND_WAVE && (mode <= 1 || (mode == 2 && kind == VT_KIND_WAVE));
}

struct Outcome {
  std::uint32_t result = 0;
  Bytes file;
  long operations = 0;
  bool madeNewFile = false;  // a new file was made beside the old one
};

void Prepare(testing::MemoryFileSystem& files, const Case& c, Fault fault) {
  files.files["f"] = c.file;
  if (fault == Fault::FailingOperation) {
    files.failAt = c.faultParameter;
    files.failCode = kInjectedCode;
  } else if (fault == Fault::SmallDisk) {
    // Never below the file's own size: a real disk already holds the file.
    files.diskCapacity = static_cast<std::int64_t>(c.file.size()) + 16 * c.faultParameter;
  } else if (fault == Fault::Kill) {
    files.killAt = c.faultParameter;
  }
  files.extraLinks["f"] = c.obstacle == Obstacle::HardLinks ? 1 : 0;
  files.folderRefusesNewFiles = c.obstacle == Obstacle::FolderRefuses;
  files.refusesReplace = c.obstacle == Obstacle::ReplaceRefused;
  files.copiesNatively = c.obstacle != Obstacle::NoSystemCopy;
}

Outcome Rewrite(const Case& c, TagInfo& info, Fault fault) {
  testing::MemoryFileSystem files;
  Prepare(files, c, fault);
  const fuzzing::RecordSnapshot before(info);
  Outcome out;
  out.result = SetFileInfo(files, "f", info, c.mode);
  out.file = files.files["f"];
  out.operations = files.operations;
  out.madeNewFile = files.standInsMade > 0;
  if (fault != Fault::Kill)
    FUZZ_CHECK(files.files.size() == 1 + static_cast<std::size_t>(files.failedRemovals),
               "no new file is left beside the old one but where removing it failed");
  FUZZ_CHECK(out.result == 0 || fuzzing::IsKnownCode(out.result), "the result is 0 or a known code");
  FUZZ_CHECK(files.openHandles == 0, "the file is closed on every exit");
  FUZZ_CHECK(before.KeptHostBytes(info), "no write into the record's gaps or past offset 5932");
  FUZZ_CHECK(before.UnchangedButSoftwareName(info), "the record changes only by the software name");
  if (c.mode == 0) FUZZ_CHECK(before.Unchanged(info), "a bare rewrite never touches the record");
  if (out.result == kNotSupported) {
    FUZZ_CHECK(before.Unchanged(info), "a write mode without a way leaves the record alone");
    FUZZ_CHECK(files.operations == 0, "a write mode without a way leaves the file alone");
  }
  return out;
}

void CheckReadBack(const Case& c, const Outcome& written, const fuzzing::ExpectedFile& layout,
                   const TagInfo& info) {
  if (!fuzzing::ReadAsWritten(written.file, c.mode)) return;
  testing::MemoryFileSystem files;
  files.files["f"] = written.file;
  Record read;
  std::memcpy(read.bytes, &info, sizeof(TagInfo));
  try {
    GetFileInfo(files, "f", read.info());
  } catch (const IoError&) {
    return;  // no frame header to be found before the tags: nothing read back
  }
  fuzzing::CheckReadBack(written.file, layout, c.mode, info, read.info());
}

// Without a fault the outcome is known in full.
Outcome CheckFaultless(const Case& c, const TagInfo& original) {
  Record record;
  std::memcpy(record.bytes, &original, sizeof(TagInfo));
  TagInfo& info = record.info();
  const Outcome out = Rewrite(c, info, Fault::None);
  if (!Builds(original.FileKind, c.mode)) {
    FUZZ_CHECK(out.result == kNotSupported, "50 exactly where the mode has no way for the FileKind");
    FUZZ_CHECK(out.file == c.file, "nothing written");
    return out;
  }
  FUZZ_CHECK(out.result != kNotSupported, "50 exactly where the mode has no way for the FileKind");
  const fuzzing::AudioSpan audio = fuzzing::LocateAudio(c.file, original.FileKind);
  FUZZ_CHECK(out.result == audio.code, "the result follows from the file's layout");
  if (out.result != 0) {
    FUZZ_CHECK(out.file == c.file, "a failed rewrite leaves the file byte-identical");
    return out;
  }
  if (c.mode != 0) {
    const Str255& name = info.Items[VT_ITEM_ISFT];
    FUZZ_CHECK(name.Length == 10 && std::memcmp(name.Text, "Vom Trail!", 10) == 0,
               "RIFF writes sign the record");
  }
  const fuzzing::ExpectedFile expected = fuzzing::BuildExpectedFile(c.file, audio, info, c.mode);
  FUZZ_CHECK(out.file == expected.bytes, "the file becomes the image");
  CheckReadBack(c, out, expected, info);
  return out;
}

// Whether the audio of the faultless rewrite moved (a conversion).
bool MovesAudio(const Case& c, std::uint8_t fileKind) {
  const fuzzing::AudioSpan audio = fuzzing::LocateAudio(c.file, fileKind);
  return (c.mode == 0 && audio.start != 0) || (c.mode == 1 && audio.start != 20);
}

// Whether a rewrite moves the audio within the file itself: no new file
// can stand in for the old one.
bool MovesWithinTheFile(const Case& c, std::uint8_t fileKind) {
  return MovesAudio(c, fileKind) && c.obstacle != Obstacle::None && c.obstacle != Obstacle::NoSystemCopy;
}

// With a fault, the faultless run says what happens: a failure leaves the
// file as it was (the old bytes an edit in place wrote over are put back),
// but where it strikes after the new content stands; a disk that cannot
// take the new content (beside the old one, for a new file) fails with 112
// before any byte changes.
void CheckFaulted(const Case& c, const TagInfo& original, const Outcome& faultless) {
  Record record;
  std::memcpy(record.bytes, &original, sizeof(TagInfo));
  const Outcome out = Rewrite(c, record.info(), c.fault);
  if (out.result == 0) {
    FUZZ_CHECK(out.file == faultless.file, "a success under a fault writes the same file");
    return;
  }
  if (c.fault == Fault::SmallDisk) {
    const std::int64_t room = static_cast<std::int64_t>(c.file.size()) + 16 * c.faultParameter;
    const auto old = static_cast<std::int64_t>(c.file.size());
    const auto made = static_cast<std::int64_t>(faultless.file.size());
    const std::int64_t needs = faultless.madeNewFile ? old + made : std::max(old, made);
    if (faultless.result == 0)
      FUZZ_CHECK(needs > room && out.result == kDiskFull, "only a full disk fails");
    else
      FUZZ_CHECK(out.result == faultless.result, "a full disk changes no other failure");
    FUZZ_CHECK(out.file == c.file, "a full disk leaves the file byte-identical");
    return;
  }
  if (c.faultParameter < faultless.operations)
    FUZZ_CHECK(out.result == kInjectedCode, "the failing operation's code is returned");
  else
    FUZZ_CHECK(out.result == faultless.result, "an operation never reached changes nothing");
  if (MovesWithinTheFile(c, original.FileKind)) {
    // The old way: each byte is the old one (zero in growth) or the new one.
    for (std::size_t i = 0; i < out.file.size(); ++i) {
      const std::uint8_t old = i < c.file.size() ? c.file[i] : 0;
      const bool isNew = i < faultless.file.size() && out.file[i] == faultless.file[i];
      FUZZ_CHECK(out.file[i] == old || isNew, "a failed move within the file leaves only old and new bytes");
    }
    return;
  }
  // The folder's flush and the close come after the new content stands.
  const bool afterCommit = faultless.result == 0 && c.faultParameter >= faultless.operations - 2;
  FUZZ_CHECK(out.file == c.file || (afterCommit && out.file == faultless.file),
             "a failed rewrite leaves the file byte-identical");
}

// A kill at any operation: the old file or the new one, or (an edit in
// place) one that the same call completes; a new file left beside the old
// one is removed by that call. Moves within the file, where no new file
// could stand in for the old one, are the old way and promise nothing.
void CheckKilled(const Case& c, const TagInfo& original, const Outcome& faultless) {
  testing::MemoryFileSystem files;
  Prepare(files, c, Fault::Kill);
  Record record;
  std::memcpy(record.bytes, &original, sizeof(TagInfo));
  SetFileInfo(files, "f", record.info(), c.mode);
  const Bytes state = files.files["f"];
  const bool movesInPlace = MovesWithinTheFile(c, original.FileKind);
  if (faultless.result != 0 || state == c.file || state == faultless.file) {
    FUZZ_CHECK(state == c.file || state == faultless.file, "a kill leaves the old or the new file");
    FUZZ_CHECK(state == c.file || files.LeftStandIns().empty(), "nothing is left beside a new file");
    if (faultless.result != 0 || state == faultless.file) return;
  } else if (movesInPlace) {
    return;
  } else {
    FUZZ_CHECK(!faultless.madeNewFile || c.obstacle == Obstacle::ReplaceRefused,
               "a kill of a write through a new file leaves the old or the new file");
  }
  files.killAt = -1;
  std::memcpy(record.bytes, &original, sizeof(TagInfo));
  const std::uint32_t again = SetFileInfo(files, "f", record.info(), c.mode);
  FUZZ_CHECK(again == 0 && files.files["f"] == faultless.file,
             "the same call completes what a kill interrupted");
  FUZZ_CHECK(files.files.size() == 1, "the same call removes a new file a kill left behind");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputCursor input(data, size);
  Record record;
  const Case c = ReadCase(input, record);
  const Outcome faultless = CheckFaultless(c, record.info());
  if (c.fault == Fault::Kill)
    CheckKilled(c, record.info(), faultless);
  else if (c.fault != Fault::None)
    CheckFaulted(c, record.info(), faultless);
  return 0;
}
