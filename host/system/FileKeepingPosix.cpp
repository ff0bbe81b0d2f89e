#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "system/FileKeeping.h"

namespace vthost {

std::optional<FileTimes> ReadFileTimes(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileTimes{{status.st_atim.tv_sec, status.st_atim.tv_nsec},
                   {status.st_mtim.tv_sec, status.st_mtim.tv_nsec}};
}

bool WriteFileTimes(const std::filesystem::path& path, const FileTimes& times) {
  const timespec both[2] = {
      {static_cast<time_t>(times.access[0]), static_cast<long>(times.access[1])},
      {static_cast<time_t>(times.modification[0]), static_cast<long>(times.modification[1])}};
  return ::utimensat(AT_FDCWD, path.c_str(), both, 0) == 0;
}

std::string RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    FlushFolderOf(to);
    return {};
  }
  if (errno != EINVAL && errno != ENOSYS) return std::strerror(errno);
  // A file system without the flag: a second name, then the first removed.
  if (::link(from.c_str(), to.c_str()) != 0) return std::strerror(errno);
  if (::unlink(from.c_str()) != 0) {
    const int error = errno;
    ::unlink(to.c_str());
    return std::strerror(error);
  }
  FlushFolderOf(to);
  return {};
}

bool FlushFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.parent_path();
  return FlushToDisk(folder.empty() ? std::filesystem::path(".") : folder);
}

bool FlushToDisk(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
  ::close(fd);
  return flushed;
}

}  // namespace vthost
