#include <sys/stat.h>

#include "system/FileStamp.h"

namespace vthost {

std::optional<FileStamp> ReadStamp(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(status.st_size),
                   static_cast<std::int64_t>(status.st_mtim.tv_sec),
                   static_cast<std::int32_t>(status.st_mtim.tv_nsec),
                   static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace vthost

#include <fcntl.h>
#include <unistd.h>

namespace vthost {

bool SetModificationTime(const std::filesystem::path& path, std::int64_t seconds, std::int32_t nanoseconds) {
  const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), static_cast<long>(nanoseconds)}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace vthost
