#include <windows.h>

#include "system/FileKeeping.h"

namespace vthost {
namespace {

// FILETIME halves in the two slots of each pair.
std::int64_t Whole(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

FILETIME Split(std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  return FILETIME{static_cast<DWORD>(bits & 0xFFFFFFFFu), static_cast<DWORD>(bits >> 32)};
}

HANDLE OpenForTimes(const std::filesystem::path& path, DWORD access) {
  return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::optional<FileTimes> ReadFileTimes(const std::filesystem::path& path) {
  const HANDLE file = OpenForTimes(path, FILE_READ_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  FILETIME access{}, modification{};
  const bool ok = ::GetFileTime(file, nullptr, &access, &modification) != 0;
  ::CloseHandle(file);
  if (!ok) return std::nullopt;
  return FileTimes{{Whole(access), 0}, {Whole(modification), 0}};
}

bool WriteFileTimes(const std::filesystem::path& path, const FileTimes& times) {
  const HANDLE file = OpenForTimes(path, FILE_WRITE_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return false;
  const FILETIME access = Split(times.access[0]), modification = Split(times.modification[0]);
  const bool ok = ::SetFileTime(file, nullptr, &access, &modification) != 0;
  ::CloseHandle(file);
  return ok;
}

std::string RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return {};
  const DWORD error = ::GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? "the name exists already"
                                                                     : "the system refused the rename";
}

bool FlushFolderOf(const std::filesystem::path&) { return true; }

bool FlushToDisk(const std::filesystem::path& path) {
  const HANDLE file = OpenForTimes(path, GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::FlushFileBuffers(file) != 0;
  ::CloseHandle(file);
  return ok;
}

}  // namespace vthost
