#include "journal/RunJournal.h"

#include <system_error>

#include "command/Messages.h"
#include "journal/AudioSpan.h"
#include "journal/ContentHash.h"
#include "journal/JournalStore.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

std::string Now() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now);
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(now - seconds);
  return UtcText(seconds.count(), static_cast<std::int32_t>(nanoseconds.count()));
}

std::string SizeWords(std::uint64_t bytes) {
  if (bytes >= (std::uint64_t{1} << 30) && bytes % (std::uint64_t{1} << 30) == 0)
    return std::to_string(bytes >> 30) + " GiB";
  if (bytes >= (std::uint64_t{1} << 20)) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

RunJournal::RunJournal(const std::string& command, const JournalLimits& limits, std::optional<int> undoes) {
  if (limits.bytes == 0) return;
  const auto root = JournalRoot();
  if (!root) {
    ReportRunWarning("no folder for the undo journal (HOME is not set); this run cannot be undone");
    return;
  }
  std::error_code error;
  fs::create_directories(*root, error);
  const std::uint64_t kept = PruneRuns(*root, limits);
  room_ = limits.bytes > kept ? limits.bytes - kept : 0;
  // The next number; another run starting at the same moment takes the
  // folder first, and this one the number after.
  for (id_ = NewestRun(*root) + 1;; ++id_) {
    folder_ = *root / std::to_string(id_);
    if (fs::create_directory(folder_, error)) break;
    if (error) {
      ReportRunWarning("the undo journal cannot be made in " + DisplayName(*root) + " (" + error.message() +
                       "); this run cannot be undone");
      id_ = 0;
      return;
    }
  }
  out_.open(folder_ / kJournalFile, std::ios::binary | std::ios::app);
  if (!out_) {
    ReportRunWarning("the undo journal cannot be written; this run cannot be undone");
    id_ = 0;
    return;
  }
  JournalJson header = {{"type", "run"},
                        {"run", id_},
                        {"started", Now()},
                        {"command", command},
                        {"folder", PathJson(fs::current_path(error))}};
  if (undoes) header["undoes"] = *undoes;
  Append(header);
}

RunJournal::~RunJournal() {
  if (Keeping() && !finished_) Finish("");
}

void RunJournal::Append(const JournalJson& line) {
  out_ << line.dump(-1, ' ', false, JournalJson::error_handler_t::replace) << '\n';
  out_.flush();  // a run killed later still has this line
}

void RunJournal::Unkept(const fs::path& path, const std::string& why) {
  ReportWarning(DisplayName(path), why + "; undo cannot put this file back");
}

bool RunJournal::KeepBytes(const fs::path& from, std::uint64_t offset, std::uint64_t length,
                           const std::string& blob) {
  if (length > room_) return false;
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(folder_ / blob, std::ios::binary | std::ios::trunc);
  if (!in || !out) return false;
  in.seekg(static_cast<std::streamoff>(offset));
  std::vector<char> buffer(1 << 20);
  std::uint64_t left = length;
  while (left > 0) {
    const std::size_t want = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
    if (!in.read(buffer.data(), static_cast<std::streamsize>(want))) break;
    if (!out.write(buffer.data(), static_cast<std::streamsize>(want))) break;
    left -= want;
  }
  out.close();
  if (left != 0 || !out) {
    std::error_code error;
    fs::remove(folder_ / blob, error);
    return false;
  }
  room_ -= length;
  return true;
}

int RunJournal::BeforeContent(const fs::path& path, const vtinspect::FileProbe& probe, bool moving) {
  std::lock_guard lock(mutex_);
  if (!Keeping()) return 0;
  const auto stamp = ReadStamp(path);
  const auto hash = HashFile(path);
  if (!stamp || !hash) {
    Unkept(path, "the journal cannot read the file");
    return 0;
  }
  const int entry = ++entries_;
  const std::string number = std::to_string(entry);
  const std::optional<ByteSpan> audio = AudioSpanOf(path, probe);
  const std::uint64_t headLength = audio ? audio->offset : stamp->size;
  const std::uint64_t tailOffset = audio ? std::min(audio->End(), stamp->size) : stamp->size;
  if (!KeepBytes(path, 0, headLength, number + ".head") ||
      !KeepBytes(path, tailOffset, stamp->size - tailOffset, number + ".tail")) {
    Unkept(path, room_ < stamp->size ? "the undo journal is full (see --journal-size)"
                                     : "the undo journal cannot be written");
    return 0;
  }
  JournalJson line = {{"type", "content"},
                      {"n", entry},
                      {"path", PathJson(fs::absolute(path).lexically_normal())},
                      {"before", StampJson(*stamp)},
                      {"hash", HashText(*hash)},
                      {"audio", SpanJson(audio)},
                      {"head", number + ".head"},
                      {"tail", number + ".tail"},
                      {"tail_offset", tailOffset}};
  // A write that moves the audio is undone from the whole old file where
  // the limit allows; the bytes around the audio serve otherwise.
  if (moving && audio) {
    if (KeepBytes(path, 0, stamp->size, number + ".whole")) {
      line["whole"] = number + ".whole";
    } else if (!saidNoWhole_) {
      saidNoWhole_ = true;
      ReportRunWarning("the undo journal's limit leaves no room for whole files (" + SizeWords(room_) +
                       " left); undo puts their old tags back around the audio instead");
    }
  }
  Append(line);
  return entry;
}

void RunJournal::AfterContent(int entry, const fs::path& path, bool written) {
  std::lock_guard lock(mutex_);
  if (!Keeping() || entry == 0) return;
  if (!written) {
    Append({{"type", "unchanged"}, {"n", entry}});
    return;
  }
  const auto stamp = ReadStamp(path);
  const vtinspect::FileProbe probe = vtinspect::ProbeFile(path);
  const std::optional<ByteSpan> audio = AudioSpanOf(path, probe);
  const auto hash = stamp ? HashAround(path, stamp->size, audio) : std::nullopt;
  if (!stamp || !hash) {
    Unkept(path, "the journal cannot read the file after the write");
    Append({{"type", "lost"}, {"n", entry}});
    return;
  }
  Append({{"type", "done"},
          {"n", entry},
          {"after", StampJson(*stamp)},
          {"hash_around", HashText(*hash)},
          {"audio", SpanJson(audio)}});
}

int RunJournal::BeforeRename(const fs::path& from, const fs::path& to,
                             const std::vector<fs::path>& madeFolders) {
  std::lock_guard lock(mutex_);
  if (!Keeping()) return 0;
  const auto stamp = ReadStamp(from);
  const int entry = ++entries_;
  JournalJson folders = JournalJson::array();
  for (const fs::path& folder : madeFolders)
    folders.push_back(PathJson(fs::absolute(folder).lexically_normal()));
  JournalJson line = {{"type", "rename"},
                      {"n", entry},
                      {"from", PathJson(fs::absolute(from).lexically_normal())},
                      {"to", PathJson(fs::absolute(to).lexically_normal())},
                      {"folders", folders}};
  if (stamp) line["before"] = StampJson(*stamp);
  Append(line);
  return entry;
}

void RunJournal::AfterRename(int entry, bool renamed) {
  std::lock_guard lock(mutex_);
  if (!Keeping() || entry == 0) return;
  Append({{"type", renamed ? "done" : "unchanged"}, {"n", entry}});
}

void RunJournal::Finish(const std::string& summary) {
  std::lock_guard lock(mutex_);
  if (!Keeping() || finished_) return;
  finished_ = true;
  Append({{"type", "end"}, {"finished", Now()}, {"summary", summary}, {"entries", entries_}});
  out_.close();
  // A run that wrote nothing leaves nothing to undo.
  if (entries_ == 0) {
    std::error_code error;
    fs::remove_all(folder_, error);
  }
}

}  // namespace vthost
