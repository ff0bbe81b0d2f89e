#include <windows.h>

#include <cwctype>

#include "system/EditLock.h"

namespace vthost {
namespace {

// A mutex name for the file: the full path in capitals (Windows names are
// not case-sensitive), hashed, since a name holds no backslash and is
// shorter than a path may be.
std::wstring MutexName(const std::filesystem::path& path) {
  std::wstring full = std::filesystem::absolute(path).lexically_normal().wstring();
  for (wchar_t& c : full) c = static_cast<wchar_t>(std::towupper(c));
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const wchar_t c : full) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
  wchar_t hex[17];
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[i] = L"0123456789abcdef"[hash & 15u];
  hex[16] = L'\0';
  return std::wstring(L"Local\\vomtrail-set-") + hex;
}

}  // namespace

EditLock::~EditLock() {
  if (handle_ == -1) return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

std::string EditLock::Take(const std::filesystem::path& path, std::chrono::milliseconds patience) {
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, MutexName(path).c_str());
  if (mutex == nullptr) return {};  // no lock to be had: go on unlocked
  const DWORD waited = ::WaitForSingleObject(mutex, static_cast<DWORD>(patience.count()));
  // An abandoned mutex belonged to a run that ended without releasing it.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    return {};
  }
  ::CloseHandle(mutex);
  return "another vomtrail set is writing the file; nothing written";
}

std::optional<FileState> ReadFileState(const std::filesystem::path& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  FILE_BASIC_INFO basic{};
  const bool ok = ::GetFileInformationByHandle(file, &information) != 0 &&
                  ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) != 0;
  ::CloseHandle(file);
  if (!ok) return std::nullopt;
  FileState state;
  state.device = information.dwVolumeSerialNumber;
  state.file = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
  state.size = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  state.modified[0] = basic.LastWriteTime.QuadPart;
  state.changed[0] = basic.ChangeTime.QuadPart;
  return state;
}

}  // namespace vthost
