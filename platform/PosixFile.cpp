// POSIX files. Windows' sharing rules are modelled with non-blocking flock:
// a reader takes a shared lock, a writer an exclusive one, so the opens that
// conflict on Windows (a writer against anyone, anyone against a writer)
// conflict here too and report the sharing violation, 32.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "File.h"
#include "IoError.h"
#include "StandInName.h"

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

void WriteAllAt(int fd, std::int64_t offset, std::span<const std::byte> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done,
                               static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      FailErrno(errno);
    }
    done += static_cast<std::size_t>(n);
  }
}

// A file system that cannot flush at all (some FUSE ones say so) keeps what
// it keeps: that is no failure of the write.
void FlushFd(int fd) {
  while (::fsync(fd) != 0) {
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return;
    if (errno != EINTR) FailErrno(errno);
  }
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The folder and the name of the file a path finally leads to, symlinks
// followed: a new file must be made beside the target, not the link.
struct Place {
  std::string folder;
  std::string name;
};

bool FindPlace(const std::string& path, Place& place) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return false;
  const std::string full(resolved);
  const auto slash = full.find_last_of('/');
  place.folder = slash == 0 ? "/" : full.substr(0, slash);
  place.name = full.substr(slash + 1);
  return true;
}

bool InGroup(gid_t gid) {
  if (gid == ::getegid()) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = ::getgroups(count, groups.data());
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  return false;
}

// What keeps a new file from standing in for this one, as far as can be
// told without trying: more names than one, a folder the caller may not
// write (or, with the sticky bit, not replace this file in), an owner or
// group a new file of the caller's could not have.
InPlaceReason ForeseenObstacle(const struct stat& file, int folderFd) {
  if (file.st_nlink > 1) return InPlaceReason::HardLinks;
  struct stat folder {};
  if (::fstat(folderFd, &folder) != 0 || ::faccessat(folderFd, ".", W_OK | X_OK, AT_EACCESS) != 0)
    return InPlaceReason::FolderRefused;
  const uid_t me = ::geteuid();
  if (me == 0) return InPlaceReason::None;
  if ((folder.st_mode & S_ISVTX) != 0 && file.st_uid != me && folder.st_uid != me)
    return InPlaceReason::FolderRefused;
  if (file.st_uid != me || !InGroup(file.st_gid)) return InPlaceReason::OwnerNotKept;
  return InPlaceReason::None;
}

// A stand-in left behind by a writer that was killed before it could
// remove it: nobody holds its lock any more (a live writer holds it until
// its replace). Removed here, by the next writer that makes one.
void RemoveLeftStandIns(int folderFd, const std::string& prefix) {
  const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR* dir = ::fdopendir(listFd);
  if (dir == nullptr) {
    ::close(listFd);
    return;
  }
  std::vector<std::string> left;
  while (const dirent* entry = ::readdir(dir))
    if (IsStandInName(entry->d_name, prefix)) left.emplace_back(entry->d_name);
  ::closedir(dir);
  for (const std::string& name : left) {
    const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(folderFd, name.c_str(), 0);
    ::close(fd);
  }
}

// The original's extended attributes (POSIX ACLs among them, as
// system.posix_acl_*) onto the new file, and none of its own besides (a
// folder's default ACL gives a new file one). False when the new file
// cannot hold them.
bool CopyAttributes(int from, int to) {
  const auto names = [](int fd, std::vector<char>& buffer) {
    for (;;) {
      const ssize_t size = ::flistxattr(fd, nullptr, 0);
      if (size <= 0) return size == 0 || errno == ENOTSUP;
      buffer.resize(static_cast<std::size_t>(size));
      const ssize_t got = ::flistxattr(fd, buffer.data(), buffer.size());
      if (got >= 0) {
        buffer.resize(static_cast<std::size_t>(got));
        return true;
      }
      if (errno != ERANGE) return false;
    }
  };
  std::vector<char> wanted, present, value;
  if (!names(from, wanted) || !names(to, present)) return false;
  for (std::size_t at = 0; at < wanted.size(); at += std::char_traits<char>::length(&wanted[at]) + 1) {
    const char* name = &wanted[at];
    ssize_t size = ::fgetxattr(from, name, nullptr, 0);
    if (size < 0) return false;
    value.resize(static_cast<std::size_t>(size));
    size = ::fgetxattr(from, name, value.data(), value.size());
    if (size < 0 || ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0) != 0) return false;
  }
  for (std::size_t at = 0; at < present.size(); at += std::char_traits<char>::length(&present[at]) + 1) {
    const std::string name(&present[at]);
    bool keep = false;
    for (std::size_t w = 0; w < wanted.size() && !keep; w += std::char_traits<char>::length(&wanted[w]) + 1)
      keep = name == &wanted[w];
    if (!keep && ::fremovexattr(to, name.c_str()) != 0) return false;
  }
  return true;
}

class PosixFile;

class PosixStandIn final : public StandIn {
 public:
  PosixStandIn(PosixFile& original, int folderFd, int fd, std::string name, std::string target)
      : original_(original),
        folderFd_(folderFd),
        fd_(fd),
        name_(std::move(name)),
        target_(std::move(target)) {}
  ~PosixStandIn() override {
    if (!replaced_) ::unlinkat(folderFd_, name_.c_str(), 0);
    ::close(fd_);
    ::close(folderFd_);
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    WriteAllAt(fd_, offset, data);
  }
  std::int64_t CopyFromOriginal(std::int64_t from, std::int64_t to, std::int64_t count) override;
  bool Replace() override;
  bool KeepOriginalAs(const char* name) override {
    keep_ = name;
    return true;
  }

 private:
  PosixFile& original_;
  int folderFd_;
  int fd_;
  std::string name_;
  std::string target_;
  std::string keep_;  // the original's second name; empty: it goes
  bool replaced_ = false;
};

class PosixFile final : public File {
 public:
  PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  // The state the file had when the lock was taken: the size every later
  // look compares with, and the change times that tell another writer.
  void TakeState() {
    if (::fstat(fd_, &opened_) != 0) FailErrno(errno);
    size_ = static_cast<std::int64_t>(opened_.st_size);
  }

  int Fd() const { return fd_; }
  const struct stat& Opened() const { return opened_; }
  const std::string& Path() const { return path_; }

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
    changedHere_ = true;
    WriteAllAt(fd_, offset, data);
    const std::int64_t end = offset + static_cast<std::int64_t>(data.size());
    if (end > size_) size_ = end;
  }

  void Reserve(std::int64_t offset, std::int64_t count) override {
    if (count <= 0) return;
    changedHere_ = true;  // taking space changes the file's times
    // A size limit on the process (ulimit -f) is met before a byte changes.
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<std::uint64_t>(offset + count) > static_cast<std::uint64_t>(limit.rlim_cur))
      Fail(Win32Error::FileTooLarge);
#if defined(__linux__)
    // The length stays: a reader, or a run cut short, never sees zero bytes
    // at the end that were meant for tags.
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset), static_cast<off_t>(count)) == 0)
      return;
    const int err = errno;
    if (err != EOPNOTSUPP && err != ENOSYS && err != EINVAL) FailErrno(err);
#endif
    // No way to take space ahead: at least refuse growth the disk plainly
    // cannot hold.
    const std::int64_t growth = offset + count - size_;
    struct statvfs disk {};
    if (growth > 0 && ::fstatvfs(fd_, &disk) == 0 &&
        static_cast<std::uint64_t>(growth) > std::uint64_t{disk.f_bavail} * disk.f_frsize)
      Fail(Win32Error::DiskFull);
  }

  void Truncate(std::int64_t length) override {
    changedHere_ = true;
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) FailErrno(errno);
    size_ = length;
  }

  void Flush() override { FlushFd(fd_); }

  void ExpectUnchanged() override {
    struct stat now {};
    if (::fstat(fd_, &now) != 0) FailErrno(errno);
    const bool same =
        static_cast<std::int64_t>(now.st_size) == size_ &&
        (changedHere_ || (SameTime(now.st_ctim, opened_.st_ctim) && SameTime(now.st_mtim, opened_.st_mtim)));
    if (!same) Fail(Win32Error::SharingViolation);
  }

  std::unique_ptr<StandIn> NewStandIn(InPlaceReason& why) override {
    Place place;
    if (!FindPlace(path_, place)) FailErrno(errno);
    const int folderFd = ::open(place.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
      why = InPlaceReason::FolderRefused;
      return nullptr;
    }
    struct stat now {
    }, named{};
    if (::fstat(fd_, &now) != 0 ||
        ::fstatat(folderFd, place.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(now, named)) {
      ::close(folderFd);
      Fail(Win32Error::SharingViolation);  // the name no longer leads to the file this handle holds
    }
    why = ForeseenObstacle(now, folderFd);
    if (why != InPlaceReason::None) {
      ::close(folderFd);
      return nullptr;
    }
    const std::string prefix = StandInPrefix(place.name);
    RemoveLeftStandIns(folderFd, prefix);
    std::string name;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
      name = NewStandInName(prefix);
      fd = ::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      const int err = errno;
      ::close(folderFd);
      if (err == EACCES || err == EPERM || err == EROFS || err == EEXIST) {
        why = InPlaceReason::FolderRefused;
        return nullptr;
      }
      FailErrno(err);
    }
    // Locked while it lives, so that a later writer can tell it from one
    // left behind by a killed one.
    ::flock(fd, LOCK_EX | LOCK_NB);
    auto standIn = std::make_unique<PosixStandIn>(*this, folderFd, fd, name, place.name);
    if (::fchown(fd, now.st_uid, now.st_gid) != 0) {
      why = InPlaceReason::OwnerNotKept;
      return nullptr;
    }
    if (::fchmod(fd, now.st_mode & 07777) != 0 || !CopyAttributes(fd_, fd)) {
      why = InPlaceReason::AttributesNotKept;
      return nullptr;
    }
    return standIn;
  }

  void Close() override {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) FailErrno(errno);
  }

 private:
  int fd_;
  std::string path_;
  struct stat opened_ {};
  std::int64_t size_ = 0;
  bool changedHere_ = false;  // changed through this handle: its times tell nothing more
};

std::int64_t PosixStandIn::CopyFromOriginal(std::int64_t from, std::int64_t to, std::int64_t count) {
  std::int64_t done = 0;
#if defined(__linux__)
  // The kernel copies (or shares) the blocks itself: no pass through memory.
  off_t in = static_cast<off_t>(from), out = static_cast<off_t>(to);
  while (done < count) {
    const ssize_t n =
        ::copy_file_range(original_.Fd(), &in, fd_, &out, static_cast<std::size_t>(count - done), 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
        break;
      FailErrno(errno);
    }
    if (n == 0) break;  // the original ends early: the caller's read says so
    done += n;
  }
#else
  (void)from, (void)to, (void)count;
#endif
  return done;
}

bool PosixStandIn::Replace() {
  const struct stat& old = original_.Opened();
  // A write by another user clears the set-id bits; they are the file's.
  if ((old.st_mode & (S_ISUID | S_ISGID)) != 0 && ::fchmod(fd_, old.st_mode & 07777) != 0) FailErrno(errno);
  FlushFd(fd_);
  // The last look: a file that another program grew or changed meanwhile is
  // not replaced, or its new bytes would be lost with it.
  original_.ExpectUnchanged();
  struct stat named {};
  if (::fstatat(folderFd_, target_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(named, old))
    Fail(Win32Error::SharingViolation);
  // The original keeps a name of its own before its place is taken; a name
  // that exists already, or one on another file system, keeps nothing.
  if (!keep_.empty() && ::linkat(folderFd_, target_.c_str(), AT_FDCWD, keep_.c_str(), 0) != 0) return false;
  if (::renameat(folderFd_, name_.c_str(), folderFd_, target_.c_str()) != 0) {
    const int err = errno;
    if (!keep_.empty()) ::unlink(keep_.c_str());
    if (err == EPERM || err == EACCES || err == EBUSY || err == EROFS || err == EXDEV || err == ENOTSUP)
      return false;
    FailErrno(err);
  }
  replaced_ = true;
  // The new name must survive a crash too.
  FlushFd(folderFd_);
  return true;
}

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
    // Only a writer needs the path again (for a new file beside the old).
    auto file = std::make_unique<PosixFile>(fd, write ? std::string(path) : std::string());
    // The lock first, then one look at the file under it: a size read before
    // the lock could be another writer's old one. flock takes any kind of
    // file, so the kind is checked after it, and before a failed lock's code
    // is given. O_NONBLOCK stays set: it changes nothing for regular files.
    if (::flock(fd, (write ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
      const int err = errno;
      struct stat st {};
      if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) Fail(Win32Error::AccessDenied);
      FailErrno(err);
    }
    file->TakeState();
    // Windows opens neither folders nor devices as files.
    if (!S_ISREG(file->Opened().st_mode)) Fail(Win32Error::AccessDenied);
    return file;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

InPlaceReason MovingWriteWay(const char* path) {
  Place place;
  if (!FindPlace(path, place)) {
    if (errno == ENOENT) Fail(ParentFolderExists(path) ? Win32Error::FileNotFound : Win32Error::PathNotFound);
    FailErrno(errno);
  }
  const std::string target = place.folder + (place.folder == "/" ? "" : "/") + place.name;
  struct stat file {};
  if (::stat(target.c_str(), &file) != 0) FailErrno(errno);
  const int folderFd = ::open(place.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return InPlaceReason::FolderRefused;
  const InPlaceReason why = ForeseenObstacle(file, folderFd);
  ::close(folderFd);
  return why;
}

}  // namespace vomtrail
