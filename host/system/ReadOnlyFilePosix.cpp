#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "system/ReadOnlyFile.h"

namespace vthost {

bool ReadOnlyFile::OpenHandle(const std::filesystem::path& path) {
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  handle_ = fd;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  stamp_ =
      FileStamp{static_cast<std::uint64_t>(status.st_size), static_cast<std::int64_t>(status.st_mtim.tv_sec),
                static_cast<std::int32_t>(status.st_mtim.tv_nsec), static_cast<std::uint64_t>(status.st_dev),
                static_cast<std::uint64_t>(status.st_ino)};
  return true;
}

void ReadOnlyFile::CloseHandle() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, char* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n =
        ::pread(static_cast<int>(handle_), out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace vthost
