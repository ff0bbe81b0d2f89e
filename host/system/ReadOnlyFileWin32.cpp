#include <windows.h>

#include <algorithm>

#include "system/FileStampWin32.h"
#include "system/ReadOnlyFile.h"

namespace vthost {
namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool ReadOnlyFile::OpenHandle(const std::filesystem::path& path) {
  // Sharing delete too: a reader must not keep a writer from putting a new
  // file in this one's place.
  const HANDLE file =
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  BY_HANDLE_FILE_INFORMATION about{};
  if (::GetFileType(file) != FILE_TYPE_DISK || ::GetFileInformationByHandle(file, &about) == 0 ||
      (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  stamp_ = StampOf(about);
  return true;
}

void ReadOnlyFile::CloseHandle() {
  if (handle_ != -1) ::CloseHandle(Handle(handle_));
  handle_ = -1;
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, char* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    OVERLAPPED at{};
    const std::uint64_t position = offset + done;
    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    if (::ReadFile(Handle(handle_), out + done, want, &got, &at) == 0 || got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace vthost
