#include "IoError.h"

#include <new>
#include <string>

#include "Vomtrail.h"

namespace vomtrail {
namespace {

// The public codes are the module's own: a host compares results with the
// VT_* names, so every one must be the value the module reports.
constexpr bool Same(int publicCode, Win32Error code) { return publicCode == static_cast<int>(code); }
static_assert(Same(VT_OK, Win32Error::Success));
static_assert(Same(VT_FILE_NOT_FOUND, Win32Error::FileNotFound));
static_assert(Same(VT_PATH_NOT_FOUND, Win32Error::PathNotFound));
static_assert(Same(VT_ACCESS_DENIED, Win32Error::AccessDenied));
static_assert(Same(VT_NOT_ENOUGH_MEMORY, Win32Error::NotEnoughMemory));
static_assert(Same(VT_INVALID_DATA, Win32Error::InvalidData));
static_assert(Same(VT_SHARING_VIOLATION, Win32Error::SharingViolation));
static_assert(Same(VT_HANDLE_EOF, Win32Error::HandleEof));
static_assert(Same(VT_NOT_SUPPORTED, Win32Error::NotSupported));
static_assert(Same(VT_DISK_FULL, Win32Error::DiskFull));
static_assert(Same(VT_INVALID_NAME, Win32Error::InvalidName));
static_assert(Same(VT_NEGATIVE_SEEK, Win32Error::NegativeSeek));
static_assert(Same(VT_FILE_TOO_LARGE, Win32Error::FileTooLarge));
static_assert(Same(VT_IO_DEVICE, Win32Error::IoDevice));

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
