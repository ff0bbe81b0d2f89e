// POSIX files. Windows' sharing rules are modelled with non-blocking flock:
// a reader takes a shared lock, a writer an exclusive one, so the opens that
// conflict on Windows (a writer against anyone, anyone against a writer)
// conflict here too and report the sharing violation, 32.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "File.h"
#include "IoError.h"

namespace vomtrail {
namespace {

// Whether the folder part of path exists, to tell "no such file" (2) from
// "no such folder" (3) as Windows does.
bool ParentFolderExists(const char* path) {
  std::string folder(path);
  const auto slash = folder.find_last_of('/');
  if (slash == std::string::npos) return true;
  folder.resize(slash == 0 ? 1 : slash);
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Win32Error FromErrno(int err) {
  switch (err) {
    case ENOTDIR:
      return Win32Error::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return Win32Error::AccessDenied;
    case ENOMEM:
      return Win32Error::NotEnoughMemory;
    case EWOULDBLOCK:
      return Win32Error::SharingViolation;
    case ENOSPC:
    case EDQUOT:
      return Win32Error::DiskFull;
    case EFBIG:
      return Win32Error::FileTooLarge;
    default:
      return Win32Error::IoDevice;
  }
}

[[noreturn]] void FailErrno(int err) { Fail(FromErrno(err)); }

class PosixFile final : public File {
 public:
  PosixFile(int fd, std::int64_t size) : fd_(fd), size_(size) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  void SetKnownSize(std::int64_t size) { size_ = size; }
  std::int64_t Size() override { return size_; }

  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> out) override {
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                                static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
      if (n < 0) {
        if (errno == EINTR) continue;
        FailErrno(errno);
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return done;
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done,
                                 static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
      if (n < 0) {
        if (errno == EINTR) continue;
        FailErrno(errno);
      }
      done += static_cast<std::size_t>(n);
    }
    const std::int64_t end = offset + static_cast<std::int64_t>(data.size());
    if (end > size_) size_ = end;
  }

  void Reserve(std::int64_t offset, std::int64_t count) override {
    if (count <= 0) return;
    const int err = ::posix_fallocate(fd_, static_cast<off_t>(offset), static_cast<off_t>(count));
    if (err != 0) {
      // posix_fallocate may have grown the file before it ran out of space.
      (void)::ftruncate(fd_, static_cast<off_t>(size_));
      FailErrno(err == EINVAL || err == EOPNOTSUPP ? ENOSPC : err);
    }
    if (offset + count > size_) size_ = offset + count;
  }

  void Truncate(std::int64_t length) override {
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) FailErrno(errno);
    size_ = length;
  }

  void Close() override {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) FailErrno(errno);
  }

 private:
  int fd_;
  std::int64_t size_;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const char* path, OpenMode mode) override {
    const bool write = mode == OpenMode::ReadWriteExclusive;
    // O_NONBLOCK keeps a FIFO from blocking the open; such files are refused below.
    const int fd = ::open(path, (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      const int err = errno;
      if (err == ENOENT) Fail(ParentFolderExists(path) ? Win32Error::FileNotFound : Win32Error::PathNotFound);
      FailErrno(err);
    }
    // The handle owns fd from here on, so every failure below closes it.
    auto file = std::make_unique<PosixFile>(fd, 0);
    struct stat st {};
    if (::fstat(fd, &st) != 0) FailErrno(errno);
    // Windows opens neither folders nor devices as files.
    if (!S_ISREG(st.st_mode)) Fail(Win32Error::AccessDenied);
    if (::flock(fd, (write ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) FailErrno(errno);
    // O_NONBLOCK stays set: it changes nothing for regular files.
    file->SetKnownSize(static_cast<std::int64_t>(st.st_size));
    return file;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace vomtrail
