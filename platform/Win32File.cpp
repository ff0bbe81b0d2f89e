// Win32 files through the ANSI functions. The share mode carries the sharing
// rules: readers let others read and write beside them, a writer lets nobody
// in, so a writer meets 32 (sharing violation) while anyone else holds the
// file, and everyone else meets it while a writer does.
#include <windows.h>

#include "File.h"
#include "IoError.h"

namespace vomtrail {
namespace {

[[noreturn]] void FailLastError() {
  const DWORD err = ::GetLastError();
  throw IoError(static_cast<std::uint32_t>(err == ERROR_SUCCESS ? ERROR_IO_DEVICE : err));
}

void SeekTo(HANDLE h, std::int64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  if (!::SetFilePointerEx(h, to, nullptr, FILE_BEGIN)) FailLastError();
}

class Win32File final : public File {
 public:
  Win32File(HANDLE h, std::int64_t size) : h_(h), size_(size) {}
  ~Win32File() override {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }

  void SetKnownSize(std::int64_t size) { size_ = size; }
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
    SeekTo(h_, offset);
    std::size_t done = 0;
    while (done < data.size()) {
      const std::size_t want = data.size() - done;
      const DWORD ask = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
      DWORD put = 0;
      if (!::WriteFile(h_, data.data() + done, ask, &put, nullptr)) FailLastError();
      if (put == 0) Fail(Win32Error::DiskFull);
      done += put;
    }
    const std::int64_t end = offset + static_cast<std::int64_t>(data.size());
    if (end > size_) size_ = end;
  }

  // Space inside the file is already the file's (this module never marks a
  // file sparse), so only growth needs taking.
  void Reserve(std::int64_t offset, std::int64_t count) override {
    const std::int64_t length = offset + count;
    if (count <= 0 || length <= size_) return;
    SeekTo(h_, length);
    if (!::SetEndOfFile(h_)) {
      const DWORD err = ::GetLastError();
      SeekTo(h_, size_);
      ::SetEndOfFile(h_);
      throw IoError(static_cast<std::uint32_t>(err));
    }
    size_ = length;
  }

  void Truncate(std::int64_t length) override {
    SeekTo(h_, length);
    if (!::SetEndOfFile(h_)) FailLastError();
    size_ = length;
  }

  void Close() override {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(h)) FailLastError();
  }

 private:
  HANDLE h_;
  std::int64_t size_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const char* path, OpenMode mode) override {
    const bool write = mode == OpenMode::ReadWriteExclusive;
    HANDLE h = ::CreateFileA(path, write ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ,
                             write ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE), nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) FailLastError();
    auto file = std::make_unique<Win32File>(h, 0);
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(h, &size)) FailLastError();
    file->SetKnownSize(size.QuadPart);
    return file;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace vomtrail
