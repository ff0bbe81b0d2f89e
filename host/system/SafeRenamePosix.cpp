#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "system/SafeRename.h"

namespace vthost {
namespace {

std::string Words(int error) {
  if (error == EEXIST || error == ENOTEMPTY) return "the name exists already";
  if (error == EACCES || error == EPERM) return "access denied";
  if (error == ENOENT) return "the file or its folder is gone";
  if (error == EXDEV) return "the new name is on another file system";
  return std::strerror(error);
}

void FlushFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    FlushFolder(to.parent_path());
    if (to.parent_path() != from.parent_path()) FlushFolder(from.parent_path());
    return "";
  }
  if (errno != EINVAL && errno != ENOSYS) return Words(errno);
#endif
  // A second name for the file fails when the target exists; then the old
  // name goes. Folders cannot be linked, and are not renamed here.
  if (::link(from.c_str(), to.c_str()) != 0) return Words(errno);
  if (::unlink(from.c_str()) != 0) {
    const int error = errno;
    ::unlink(to.c_str());
    return Words(error);
  }
  FlushFolder(to.parent_path());
  if (to.parent_path() != from.parent_path()) FlushFolder(from.parent_path());
  return "";
}

}  // namespace vthost
