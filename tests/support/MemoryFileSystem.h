// Files in memory behind the module's file layer, for the cases a real disk
// cannot produce on demand: the k-th file operation failing, a disk that
// fills up, a read that the system refuses. Also counts what the module asks
// of the layer, and whether it closed what it opened.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "File.h"
#include "IoError.h"

namespace vomtrail::testing {

using Bytes = std::vector<std::uint8_t>;

class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, Bytes> files;

  // Fault injection: operation number failAt (0-based, counted over Open,
  // ReadAt, WriteAt, Reserve, Truncate and Close) throws failCode.
  long failAt = -1;
  std::uint32_t failCode = static_cast<std::uint32_t>(Win32Error::IoDevice);
  // A disk with room for this many bytes in the one file; beyond it Reserve
  // and WriteAt fail with 112.
  std::int64_t diskCapacity = INT64_MAX;

  // What the module did.
  long operations = 0;
  long reads = 0;
  long bytesRead = 0;  // what the reads returned
  long writes = 0;
  long bytesWritten = 0;  // what the write calls were given
  long openHandles = 0;
  bool exclusiveHeld = false;
  long sharedHeld = 0;

  std::unique_ptr<File> Open(const char* path, OpenMode mode) override;

  // Called at every counted operation; throws when it is the one to fail.
  void Tick();
};

}  // namespace vomtrail::testing
