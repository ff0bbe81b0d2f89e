// What tells whether a file is still the one the command saw: its size, its
// modification time to the nanosecond, and which file it is on its volume
// (device and inode; volume serial and file index on Windows). An export
// keeps the first two to find rows whose file changed since; the journal
// keeps all of them to find files changed since a run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vthost {

struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t seconds = 0;      // modification time, since 1970-01-01 UTC
  std::int32_t nanoseconds = 0;  // Windows: in steps of 100
  std::uint64_t device = 0, inode = 0;

  bool SameContentStamp(const FileStamp& other) const {
    return size == other.size && seconds == other.seconds && nanoseconds == other.nanoseconds;
  }
  bool SameFile(const FileStamp& other) const { return device == other.device && inode == other.inode; }
};

// The stamp of a regular file (links followed), or nothing.
std::optional<FileStamp> ReadStamp(const std::filesystem::path& path);

// "2026-12-09T19:24:51.123456789Z": a text that spreadsheets keep as it is
// (a count of nanoseconds would become 1.76E+18 in their hands).
std::string UtcText(std::int64_t seconds, std::int32_t nanoseconds);

// UtcText's text back, or nothing. Fewer than nine decimals are taken too.
std::optional<std::pair<std::int64_t, std::int32_t>> ParseUtcText(std::string_view text);

}  // namespace vthost

namespace vthost {

// Sets the file's modification time, leaving its access time; false when
// the system refuses.
bool SetModificationTime(const std::filesystem::path& path, std::int64_t seconds, std::int32_t nanoseconds);

}  // namespace vthost
