// Win32 files through the ANSI functions. The share mode carries the sharing
// rules: readers let others read and write beside them, a writer lets nobody
// in, so a writer meets 32 (sharing violation) while anyone else holds the
// file, and everyone else meets it while a writer does.
#include <windows.h>

#include <string>

#include "File.h"
#include "IoError.h"
#include "StandInName.h"

namespace vomtrail {
namespace {

[[noreturn]] void FailWith(DWORD err) {
  throw IoError(static_cast<std::uint32_t>(err == ERROR_SUCCESS ? ERROR_IO_DEVICE : err));
}

[[noreturn]] void FailLastError() { FailWith(::GetLastError()); }

// The old file's access rules (its DACL) given to the new file, as far as
// the caller may: a file whose rules cannot be read or written keeps those
// its folder gave it.
void CopyAccessRules(const std::string& from, const std::string& to) {
  DWORD needed = 0;
  ::GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  if (needed == 0) return;
  std::string descriptor(needed, '\0');
  if (::GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
    ::SetFileSecurityA(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
}

void SeekTo(HANDLE h, std::int64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  if (!::SetFilePointerEx(h, to, nullptr, FILE_BEGIN)) FailLastError();
}

void WriteAllAt(HANDLE h, std::int64_t offset, std::span<const std::byte> data) {
  SeekTo(h, offset);
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t want = data.size() - done;
    const DWORD ask = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
    DWORD put = 0;
    if (!::WriteFile(h, data.data() + done, ask, &put, nullptr)) FailLastError();
    if (put == 0) Fail(Win32Error::DiskFull);
    done += put;
  }
}

HANDLE OpenExisting(const char* path, bool write) {
  return ::CreateFileA(path, write ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ,
                       write ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE), nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The path the handle finally leads to, links followed, so that a new
// file is made beside the target; the given path where the system cannot
// tell.
std::string FinalPath(HANDLE h, const std::string& given) {
  char buffer[MAX_PATH * 4];
  const DWORD n =
      ::GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= sizeof buffer) return given;
  return std::string(buffer, n);
}

class Win32File;

// The new file: ".NAME.XXXXXXXX.vomtrail", hidden, beside the target.
class Win32StandIn final : public StandIn {
 public:
  Win32StandIn(Win32File& original, HANDLE h, std::string path, std::string target)
      : original_(original), h_(h), path_(std::move(path)), target_(std::move(target)) {}
  ~Win32StandIn() override {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    if (!replaced_) ::DeleteFileA(path_.c_str());
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    WriteAllAt(h_, offset, data);
  }
  std::int64_t CopyFromOriginal(std::int64_t, std::int64_t, std::int64_t) override { return 0; }
  bool Replace() override;

 private:
  Win32File& original_;
  HANDLE h_;
  std::string path_;
  std::string target_;
  bool replaced_ = false;
};

class Win32File final : public File {
 public:
  Win32File(HANDLE h, std::string path) : h_(h), path_(std::move(path)) {}
  ~Win32File() override {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }

  void TakeSize() {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(h_, &size)) FailLastError();
    size_ = size.QuadPart;
  }

  HANDLE Handle() const { return h_; }

  // A rename over the file needs it closed, which the writer's share mode
  // would refuse: the handle is let go right before, and taken again
  // exclusively if the rename is refused.
  void LetGo() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }
  void TakeBack() {
    h_ = OpenExisting(path_.c_str(), true);
    if (h_ == INVALID_HANDLE_VALUE) Fail(Win32Error::SharingViolation);
    ExpectUnchanged();
  }

  std::int64_t Size() override { return size_; }

  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> out) override {
    SeekTo(h_, offset);
    std::size_t done = 0;
    while (done < out.size()) {
      const std::size_t want = out.size() - done;
      const DWORD ask = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
      DWORD got = 0;
      if (!::ReadFile(h_, out.data() + done, ask, &got, nullptr)) FailLastError();
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    WriteAllAt(h_, offset, data);
    const std::int64_t end = offset + static_cast<std::int64_t>(data.size());
    if (end > size_) size_ = end;
  }

  // Space inside the file is already the file's (this module never marks a
  // file sparse), so only growth needs taking: as allocation, the length
  // unchanged.
  void Reserve(std::int64_t offset, std::int64_t count) override {
    const std::int64_t length = offset + count;
    if (count <= 0 || length <= size_) return;
    FILE_ALLOCATION_INFO allocation;
    allocation.AllocationSize.QuadPart = length;
    if (::SetFileInformationByHandle(h_, FileAllocationInfo, &allocation, sizeof allocation)) return;
    const DWORD err = ::GetLastError();
    if (err == ERROR_DISK_FULL || err == ERROR_HANDLE_DISK_FULL) Fail(Win32Error::DiskFull);
    if (err != ERROR_INVALID_PARAMETER && err != ERROR_NOT_SUPPORTED && err != ERROR_INVALID_FUNCTION &&
        err != ERROR_CALL_NOT_IMPLEMENTED)
      FailWith(err);
    // No way to allocate ahead (Wine has none): at least refuse growth the
    // disk plainly cannot hold.
    const auto slash = path_.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string(".") : path_.substr(0, slash + 1);
    ULARGE_INTEGER free;
    if (::GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr) &&
        static_cast<std::uint64_t>(length - size_) > free.QuadPart)
      Fail(Win32Error::DiskFull);
  }

  void Truncate(std::int64_t length) override {
    SeekTo(h_, length);
    if (!::SetEndOfFile(h_)) FailLastError();
    size_ = length;
  }

  void Flush() override {
    if (!::FlushFileBuffers(h_)) FailLastError();
  }

  // Nobody else can write while the exclusive handle is held; the length
  // is checked all the same, as on every system.
  void ExpectUnchanged() override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(h_, &size)) FailLastError();
    if (size.QuadPart != size_) Fail(Win32Error::SharingViolation);
  }

  std::unique_ptr<StandIn> NewStandIn(InPlaceReason& why) override {
    BY_HANDLE_FILE_INFORMATION facts;
    if (!::GetFileInformationByHandle(h_, &facts)) FailLastError();
    if (facts.nNumberOfLinks > 1) {
      why = InPlaceReason::HardLinks;
      return nullptr;
    }
    const std::string target = FinalPath(h_, path_);
    const auto slash = target.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string prefix = StandInPrefix(name);
    RemoveLeftStandIns(folder, prefix);
    for (int attempt = 0; attempt < 16; ++attempt) {
      const std::string path = folder + NewStandInName(prefix);
      HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN, nullptr);
      if (h != INVALID_HANDLE_VALUE) return std::make_unique<Win32StandIn>(*this, h, path, target);
      const DWORD err = ::GetLastError();
      if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) continue;
      if (err == ERROR_ACCESS_DENIED || err == ERROR_WRITE_PROTECT || err == ERROR_NOT_SUPPORTED) break;
      FailWith(err);
    }
    why = InPlaceReason::FolderRefused;
    return nullptr;
  }

  void Close() override {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h)) FailLastError();
  }

 private:
  // New files left by a writer that was ended before it could remove its
  // own: a live writer holds its file open without sharing, so deleting it
  // fails; one left behind is deleted.
  static void RemoveLeftStandIns(const std::string& folder, const std::string& prefix) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsStandInName(found.cFileName, prefix))
        ::DeleteFileA((folder + found.cFileName).c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }

  HANDLE h_;
  std::string path_;
  std::int64_t size_ = 0;
};

bool Win32StandIn::Replace() {
  if (!::FlushFileBuffers(h_)) FailLastError();
  original_.ExpectUnchanged();
  // The new file takes what the old one carried besides its bytes: its
  // attributes (hidden, archive, ...), its creation time and its access
  // rules.
  BY_HANDLE_FILE_INFORMATION facts;
  if (!::GetFileInformationByHandle(original_.Handle(), &facts)) FailLastError();
  ::SetFileTime(h_, &facts.ftCreationTime, nullptr, nullptr);
  ::CloseHandle(h_);
  h_ = INVALID_HANDLE_VALUE;
  CopyAccessRules(target_, path_);
  ::SetFileAttributesA(path_.c_str(),
                       facts.dwFileAttributes == 0 ? FILE_ATTRIBUTE_NORMAL : facts.dwFileAttributes);

  // One rename over the old name, which holds the old file or the new one
  // at every moment. ReplaceFile would keep the old file's streams and
  // owner too, but it takes the old file off its name before the new one
  // gets it: a process ended between the two leaves no file at all.
  original_.LetGo();
  if (::MoveFileExA(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    replaced_ = true;
    return true;
  }
  const DWORD err = ::GetLastError();
  if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION || err == ERROR_ACCESS_DENIED)
    Fail(Win32Error::SharingViolation);  // another program opened it meanwhile
  original_.TakeBack();
  return false;
}

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const char* path, OpenMode mode) override {
    HANDLE h = OpenExisting(path, mode == OpenMode::ReadWriteExclusive);
    if (h == INVALID_HANDLE_VALUE) FailLastError();
    auto file = std::make_unique<Win32File>(h, path);
    file->TakeSize();
    return file;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

InPlaceReason MovingWriteWay(const char* path) {
  HANDLE h = ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) FailLastError();
  BY_HANDLE_FILE_INFORMATION facts;
  const BOOL known = ::GetFileInformationByHandle(h, &facts);
  ::CloseHandle(h);
  if (!known) FailLastError();
  return facts.nNumberOfLinks > 1 ? InPlaceReason::HardLinks : InPlaceReason::None;
}

}  // namespace vomtrail
