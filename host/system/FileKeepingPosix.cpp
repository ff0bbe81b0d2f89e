#include <fcntl.h>
#include <sys/stat.h>

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

}  // namespace vthost
