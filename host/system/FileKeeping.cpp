#include "system/FileKeeping.h"

#include <system_error>

namespace vthost {

namespace fs = std::filesystem;

fs::path BackupName(const fs::path& path) {
  fs::path copy = path;
  copy += ".orig";
  return copy;
}

bool NameTaken(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

std::string MakeBackup(const fs::path& path) {
  const fs::path copy = BackupName(path);
  std::error_code error;
  if (NameTaken(copy)) return "the backup name exists already; nothing written";
  if (!fs::copy_file(path, copy, fs::copy_options::none, error)) {
    if (error != std::errc::file_exists) fs::remove(copy, error);
    return "the backup copy could not be made (" + error.message() + "); nothing written";
  }
  if (!FlushToDisk(copy) || !FlushFolderOf(copy)) {
    fs::remove(copy, error);
    return "the backup copy could not be flushed to the disk; nothing written";
  }
  return "";
}

void RemoveBackup(const fs::path& path) {
  std::error_code error;
  fs::remove(BackupName(path), error);
}

}  // namespace vthost
