// The journal a writing run keeps, so that `vomtrail undo` can put back
// every file as it was. It never stands in the way of a write: when the
// journal cannot be written, or its size limit leaves no room, the run goes
// on and says which files cannot be undone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "FileProbe.h"
#include "journal/JournalFormat.h"
#include "journal/JournalLimits.h"

namespace vthost {

class RunJournal {
 public:
  // Starts the journal of a run: prunes old runs to the limits first. With a
  // size limit of 0, or no state folder, it keeps nothing (and says so
  // when the state folder is missing).
  RunJournal(const std::string& command, const JournalLimits& limits,
             std::optional<int> undoes = std::nullopt);
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  bool Keeping() const { return out_.is_open(); }
  int Id() const { return id_; }

  // Before new content goes into the file at `path` (probed just before):
  // keeps its bytes around the audio, and the whole file too when the write
  // will move the audio (`moving`) and the limit leaves room. Returns the
  // entry's number, or 0 when the file's old content is not kept (said on
  // stderr).
  int BeforeContent(const std::filesystem::path& path, const vtinspect::FileProbe& probe, bool moving);
  // After the write: `written` false when it failed and left the file as it
  // was.
  void AfterContent(int entry, const std::filesystem::path& path, bool written);

  // Before a rename (with the folders made for its new name) and after it.
  int BeforeRename(const std::filesystem::path& from, const std::filesystem::path& to,
                   const std::vector<std::filesystem::path>& madeFolders);
  void AfterRename(int entry, bool renamed);

  // The run's summary; the journal is flushed to the disk.
  void Finish(const std::string& summary);

 private:
  void Append(const JournalJson& line);
  bool KeepBytes(const std::filesystem::path& from, std::uint64_t offset, std::uint64_t length,
                 const std::string& blob);
  void Unkept(const std::filesystem::path& path, const std::string& why);

  std::mutex mutex_;
  std::filesystem::path folder_;
  std::ofstream out_;
  int id_ = 0;
  int entries_ = 0;
  std::uint64_t room_ = 0;  // bytes the limit leaves for this run
  bool saidNoWhole_ = false;
  bool finished_ = false;
};

}  // namespace vthost
