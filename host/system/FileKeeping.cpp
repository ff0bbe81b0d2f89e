#include "system/FileKeeping.h"

#include <system_error>

namespace vthost {

namespace fs = std::filesystem;

fs::path BackupName(const fs::path& path) {
  fs::path copy = path;
  copy += ".orig";
  return copy;
}

std::string MakeBackup(const fs::path& path) {
  const fs::path copy = BackupName(path);
  std::error_code error;
  if (fs::exists(fs::symlink_status(copy, error))) return "the backup name exists already; nothing written";
  if (!fs::copy_file(path, copy, fs::copy_options::none, error))
    return "the backup copy could not be made (" + error.message() + "); nothing written";
  return "";
}

}  // namespace vthost
