#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "system/EditLock.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kRetry{20};

// The folder of this user's lock files: the runtime folder the session
// gives, else one in the cache. Made for this user alone.
std::optional<fs::path> LockFolder() {
  fs::path folder;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/')
    folder = fs::path(runtime) / "vomtrail-locks";
  else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
    folder = fs::path(home) / ".cache" / "vomtrail" / "locks";
  else
    return std::nullopt;
  std::error_code error;
  fs::create_directories(folder, error);
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
    return std::nullopt;
  return folder;
}

// The lock file of a name: the file's real path (links followed, as the
// module follows them to the file it replaces), hashed.
std::string LockName(const fs::path& path) {
  std::error_code error;
  fs::path real = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) real = fs::absolute(path, error).lexically_normal();
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : real.native()) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<std::size_t>(i)] = "0123456789abcdef"[hash & 15u];
  return hex;
}

}  // namespace

EditLock::~EditLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

// The lock is taken on the file's name, not on the file: a run that changes
// a file's form puts a new file in the old one's place, and a lock held on
// the old file would not keep a second run, which opens the name anew, off
// the new one while the first still checks what it wrote. So each real path
// has a lock file of its own, and the runs take flock on it. Two paths whose
// hashes meet merely wait for each other.
std::string EditLock::Take(const fs::path& path, std::chrono::milliseconds patience) {
  const std::optional<fs::path> folder = LockFolder();
  if (!folder) return {};  // no lock to be had: go on unlocked, the module still locks each call
  const fs::path lockPath = *folder / LockName(path);
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return {};
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      ::close(fd);
      return {};
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      return "another vomtrail set is writing the file; nothing written";
    }
    std::this_thread::sleep_for(kRetry);
  }
  handle_ = fd;
  return {};
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
