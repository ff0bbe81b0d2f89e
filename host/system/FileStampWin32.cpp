#include "system/FileStampWin32.h"

namespace vthost {
namespace {

// FILETIME counts 100 ns steps from 1601-01-01.
constexpr std::int64_t kStepsTo1970 = 116444736000000000LL;

}  // namespace

FileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& about) {
  const std::int64_t steps =
      static_cast<std::int64_t>((std::uint64_t{about.ftLastWriteTime.dwHighDateTime} << 32) |
                                about.ftLastWriteTime.dwLowDateTime) -
      kStepsTo1970;
  std::int64_t seconds = steps / 10000000, rest = steps % 10000000;
  if (rest < 0) {
    rest += 10000000;
    --seconds;
  }
  return FileStamp{(std::uint64_t{about.nFileSizeHigh} << 32) | about.nFileSizeLow, seconds,
                   static_cast<std::int32_t>(rest * 100), about.dwVolumeSerialNumber,
                   (std::uint64_t{about.nFileIndexHigh} << 32) | about.nFileIndexLow};
}

std::optional<FileStamp> ReadStamp(const std::filesystem::path& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION about{};
  const bool ok = ::GetFileInformationByHandle(file, &about) != 0;
  ::CloseHandle(file);
  if (!ok || (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return StampOf(about);
}

}  // namespace vthost

namespace vthost {

bool SetModificationTime(const std::filesystem::path& path, std::int64_t seconds, std::int32_t nanoseconds) {
  const HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const auto steps = static_cast<std::uint64_t>(seconds * 10000000 + nanoseconds / 100 + kStepsTo1970);
  const FILETIME time{static_cast<DWORD>(steps & 0xFFFFFFFFu), static_cast<DWORD>(steps >> 32)};
  const bool ok = ::SetFileTime(file, nullptr, nullptr, &time) != 0;
  ::CloseHandle(file);
  return ok;
}

}  // namespace vthost
