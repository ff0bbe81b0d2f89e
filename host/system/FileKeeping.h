// What `vomtrail set` does for the user around a write: keep the file's
// access and modification times (a rewrite would otherwise make every tagged
// file look newly changed to backup and sync tools), and keep a copy of the
// file as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vthost {

// Access and modification times as the platform stores them.
struct FileTimes {
  std::int64_t access[2];
  std::int64_t modification[2];
};

std::optional<FileTimes> ReadFileTimes(const std::filesystem::path& path);
bool WriteFileTimes(const std::filesystem::path& path, const FileTimes& times);

// The name of the copy: NAME.orig beside the file.
std::filesystem::path BackupName(const std::filesystem::path& path);

// Copies the file to BackupName; an empty text on success, else why not. An
// existing copy is never overwritten.
std::string MakeBackup(const std::filesystem::path& path);

}  // namespace vthost
