// What `vomtrail set` does for the user around a write: keep the file's
// access and modification times (a rewrite would otherwise make every tagged
// file look newly changed to backup and sync tools), keep the file as it was
// under another name, and rename a file whose extension no longer fits.
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

// The name of the backup: NAME.orig beside the file.
std::filesystem::path BackupName(const std::filesystem::path& path);

// Copies the file to BackupName and flushes the copy to the disk; an empty
// text on success, else why not. An existing name is never overwritten.
std::string MakeBackup(const std::filesystem::path& path);

// Removes the backup of a write that was then refused: the file is as it
// was, and a retry must not find the name taken.
void RemoveBackup(const std::filesystem::path& path);

// Whether a name is taken, by anything (a dangling symlink too).
bool NameTaken(const std::filesystem::path& path);

// Renames `from` to `to` unless `to` exists, in one step; an empty text on
// success, else why not.
std::string RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Returns once the file's bytes are on the disk; false when that fails.
bool FlushToDisk(const std::filesystem::path& path);

// Returns once the names in the file's folder (a new one, a renamed one)
// are on the disk. Windows writes renames through (MOVEFILE_WRITE_THROUGH).
bool FlushFolderOf(const std::filesystem::path& path);

}  // namespace vthost
