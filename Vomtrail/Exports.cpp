// The entry points. Nothing of C++ crosses the boundary on Windows: a
// failed GetInfo leaves as the structured exception VT_EXCEPTION_CODE,
// raised only after every C++ object of the call is gone. The POSIX build
// throws the module's std::system_error instead, which only C++ callers can
// catch, and adds GetInfoResult for C and Python callers. Every other entry
// point catches everything: an exception reaching a C frame ends the host.
#include <cstring>

#include "FileName.h"
#include "GetInfo.h"
#include "IoError.h"
#include "SetInfo.h"
#include "VomtrailVersion.h"

#if defined(_WIN32)
#include <windows.h>
// <windows.h> has a GetVersion of its own; the .def file exports these
// under the host's names.
#define VT_NO_PROTOTYPES
#define VT_ENTRY(name) Vt##name
#else
#define VT_ENTRY(name) name
#endif
#include "Vomtrail.h"

namespace {

using vomtrail::IoError;
using vomtrail::Win32Error;

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

[[noreturn]] void RaiseFailure(std::uint32_t code) {
#if defined(_WIN32)
  const ULONG_PTR argument = code;
  ::RaiseException(VT_EXCEPTION_CODE, EXCEPTION_NONCONTINUABLE, 1, &argument);
  ::ExitProcess(code);  // not reached: the exception cannot be continued
#else
  throw IoError(code);
#endif
}

template <typename Work>
std::uint32_t Guarded(Work&& work) noexcept {
  try {
    work();
    return 0;
  } catch (...) {
    return vomtrail::CurrentFailureCode();
  }
}

// GetInfo's whole work; the two entry points differ only in how a failure
// leaves them, so the record is left the same by both.
std::uint32_t GuardedGetInfo(const Str255* fileName, TagInfo* info) noexcept {
  return Guarded([&] {
    const vomtrail::PathBuffer path = vomtrail::CopyFileName(*fileName);
    vomtrail::GetFileInfo(vomtrail::NativeFileSystem(), path.data(), *info);
  });
}

}  // namespace

extern "C" {

VT_API void VT_CALL VT_ENTRY(GetInfo)(const Str255* fileName, TagInfo* info) {
  const std::uint32_t failure = GuardedGetInfo(fileName, info);
  if (failure != 0) RaiseFailure(failure);
}

#if !defined(_WIN32)
VT_API std::int32_t GetInfoResult(const Str255* fileName, TagInfo* info) noexcept {
  return static_cast<std::int32_t>(GuardedGetInfo(fileName, info));
}
#endif

VT_API std::int32_t VT_CALL VT_ENTRY(SetInfo)(const Str255* fileName, TagInfo* info,
                                              std::int32_t mode) noexcept {
  std::uint32_t result = 0;
  const std::uint32_t failure = Guarded([&] {
    const vomtrail::PathBuffer path = vomtrail::CopyFileName(*fileName);
    result = vomtrail::SetFileInfo(vomtrail::NativeFileSystem(), path.data(), *info,
                                   static_cast<std::uint8_t>(mode));  // low byte of the slot
  });
  return static_cast<std::int32_t>(failure != 0 ? failure : result);
}

#if !defined(_WIN32)
VT_API std::int32_t SetInfoKeepingOld(const Str255* fileName, TagInfo* info, std::int32_t mode,
                                      const char* keepOldAs) noexcept {
  std::uint32_t result = 0;
  const std::uint32_t failure = Guarded([&] {
    const vomtrail::PathBuffer path = vomtrail::CopyFileName(*fileName);
    result = vomtrail::SetFileInfo(vomtrail::NativeFileSystem(), path.data(), *info,
                                   static_cast<std::uint8_t>(mode), keepOldAs);
  });
  return static_cast<std::int32_t>(failure != 0 ? failure : result);
}
#endif

VT_API Str255* VT_CALL VT_ENTRY(GetVersion)(Str255* buffer) noexcept {
  static constexpr char kVersion[] = VT_VERSION_TEXT;
  buffer->Length = sizeof kVersion - 1;
  std::memcpy(buffer->Text, kVersion, sizeof kVersion - 1);
  return buffer;
}

}  // extern "C"
