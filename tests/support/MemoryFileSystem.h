// Files in memory behind the module's file layer, for the cases a real disk
// cannot produce on demand: the k-th file operation failing, a process
// killed at the k-th operation, a disk that fills up, a read that the system
// refuses, a folder that takes no new file, a file with two names, another
// program appending meanwhile. Also counts what the module asks of the
// layer, and whether it closed what it opened.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "File.h"
#include "IoError.h"

namespace vomtrail::testing {

using Bytes = std::vector<std::uint8_t>;

class MemoryFileSystem final : public FileSystem {
 public:
  // Every file of the one folder, by name; new files made beside a file
  // ("stand-ins") appear here under their hidden names while they live.
  std::map<std::string, Bytes> files;
  // Names beyond the first, by file (hard links): such a file is written in
  // place.
  std::map<std::string, int> extraLinks;

  // Fault injection: operation number failAt (0-based, counted over Open,
  // ReadAt, WriteAt, Reserve, Truncate, Flush, ExpectUnchanged, Close and a
  // stand-in's make, write, copy, flush, replace, folder flush and removal)
  // throws failCode.
  long failAt = -1;
  std::uint32_t failCode = static_cast<std::uint32_t>(Win32Error::IoDevice);
  // A kill: from operation number killAt on, every operation fails and
  // nothing reaches the files any more, not even the clean-up of a failure;
  // the files stay as the process left them.
  long killAt = -1;
  // A disk with room for this many bytes in all files together; beyond it
  // Reserve, WriteAt and the stand-in's writes fail with 112.
  std::int64_t diskCapacity = INT64_MAX;
  // The folder takes no new file; the system refuses the replace.
  bool folderRefusesNewFiles = false;
  bool refusesReplace = false;
  // Whether stand-ins copy old bytes themselves (as copy_file_range does).
  bool copiesNatively = true;
  // Another program at work: called before each counted operation, with
  // its number.
  std::function<void(long)> beforeOperation;

  // What the module did.
  long operations = 0;
  long reads = 0;
  long bytesRead = 0;  // what the reads returned
  long writes = 0;
  long bytesWritten = 0;  // what the write calls were given (the old file's and stand-ins')
  long flushes = 0;
  long standInsMade = 0;
  long replaces = 0;
  long failedRemovals = 0;  // stand-ins whose removal failed: they stay
  std::vector<long> looks;  // the numbers of the ExpectUnchanged operations
  long openHandles = 0;
  bool exclusiveHeld = false;
  long sharedHeld = 0;

  std::unique_ptr<File> Open(const char* path, OpenMode mode) override;

  // Another program appends to the file (and so changes its times).
  void AppendByOther(const std::string& name, const Bytes& bytes);

  // Hidden names of stand-ins that are not in use: left behind by a kill.
  std::vector<std::string> LeftStandIns() const;

  // Called at every counted operation; throws when it is the one to fail.
  void Tick();
  bool Killed() const { return killAt >= 0 && operations > killAt; }

  // For the handles: how many times another program changed a file, the
  // bytes all files hold, and the stand-ins in use.
  std::map<std::string, long> changesByOthers;
  std::int64_t BytesHeld() const;
  std::set<std::string> liveStandIns;
  long nextStandIn = 0;
};

}  // namespace vomtrail::testing
