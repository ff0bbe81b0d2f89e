#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "system/EditLock.h"

namespace vthost {
namespace {

constexpr std::chrono::milliseconds kRetry{20};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

EditLock::~EditLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::string EditLock::Take(const std::filesystem::path& path, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    // A write lock needs a descriptor open for writing; a file that cannot
    // be opened so cannot be written either, and the module says why.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return {};
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      ::close(fd);
      return {};
    }
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &whole) == 0) {
      // A run that held the lock may have put a new file in this one's
      // place: the lock must be on the file the name leads to now.
      struct stat named {};
      if (::stat(path.c_str(), &named) == 0 && SameFile(named, held)) {
        handle_ = fd;
        return {};
      }
      ::close(fd);
    } else {
      const int error = errno;
      ::close(fd);
      if (error != EAGAIN && error != EACCES) return {};  // no such locks here (EINVAL): go on unlocked
    }
    if (std::chrono::steady_clock::now() >= deadline)
      return "another vomtrail set is writing the file; nothing written";
    std::this_thread::sleep_for(kRetry);
  }
}

std::optional<FileState> ReadFileState(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  FileState state;
  state.device = static_cast<std::uint64_t>(status.st_dev);
  state.file = static_cast<std::uint64_t>(status.st_ino);
  state.size = static_cast<std::uint64_t>(status.st_size);
  state.modified[0] = status.st_mtim.tv_sec;
  state.modified[1] = status.st_mtim.tv_nsec;
  state.changed[0] = status.st_ctim.tv_sec;
  state.changed[1] = status.st_ctim.tv_nsec;
  return state;
}

}  // namespace vthost
