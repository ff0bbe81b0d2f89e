#include "IoError.h"

#include <new>
#include <string>

namespace vomtrail {
namespace {

class Win32ErrorCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "win32"; }
  std::string message(int value) const override {
    switch (static_cast<Win32Error>(value)) {
      case Win32Error::Success:
        return "success";
      case Win32Error::FileNotFound:
        return "file not found";
      case Win32Error::PathNotFound:
        return "path not found";
      case Win32Error::AccessDenied:
        return "access denied";
      case Win32Error::NotEnoughMemory:
        return "not enough memory";
      case Win32Error::InvalidData:
        return "invalid data";
      case Win32Error::SharingViolation:
        return "file in use by another program";
      case Win32Error::HandleEof:
        return "end of file";
      case Win32Error::NotSupported:
        return "not supported";
      case Win32Error::DiskFull:
        return "disk full";
      case Win32Error::InvalidName:
        return "invalid file name";
      case Win32Error::NegativeSeek:
        return "negative seek";
      case Win32Error::FileTooLarge:
        return "file too large";
      case Win32Error::IoDevice:
        return "I/O error";
    }
    return "error " + std::to_string(value);
  }
};

}  // namespace

std::uint32_t CurrentFailureCode() noexcept {
  try {
    throw;
  } catch (const IoError& e) {
    return e.Code();
  } catch (const std::bad_alloc&) {
    return static_cast<std::uint32_t>(Win32Error::NotEnoughMemory);
  } catch (...) {
    return static_cast<std::uint32_t>(Win32Error::IoDevice);
  }
}

const std::error_category& Win32Category() noexcept {
  static const Win32ErrorCategory category;
  return category;
}

}  // namespace vomtrail
