// The one error type of the module. Its value is a Win32 system error code on
// every platform, so that a host sees the same number for the same situation
// whether the module runs as the Windows DLL or as the POSIX library.
#pragma once

#include <cstdint>
#include <system_error>

namespace vomtrail {

enum class Win32Error : std::uint32_t {
  Success = 0,
  FileNotFound = 2,
  PathNotFound = 3,
  AccessDenied = 5,
  NotEnoughMemory = 8,
  InvalidData = 13,
  SharingViolation = 32,
  HandleEof = 38,
  NotSupported = 50,
  DiskFull = 112,
  InvalidName = 123,
  NegativeSeek = 131,
  FileTooLarge = 223,
  IoDevice = 1117,
};

const std::error_category& Win32Category() noexcept;

class IoError : public std::system_error {
 public:
  explicit IoError(Win32Error code) : IoError(static_cast<std::uint32_t>(code)) {}
  explicit IoError(std::uint32_t code) : std::system_error(static_cast<int>(code), Win32Category()) {}
  std::uint32_t Code() const noexcept { return static_cast<std::uint32_t>(code().value()); }
};

[[noreturn]] inline void Fail(Win32Error code) { throw IoError(code); }

// The Win32 code of the exception being handled: its own code for an
// IoError, 8 for exhausted memory, 1117 for anything else. Call it only
// inside a catch block.
std::uint32_t CurrentFailureCode() noexcept;

}  // namespace vomtrail
