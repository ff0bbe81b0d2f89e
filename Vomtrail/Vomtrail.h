/* Vomtrail: the public interface for host programs (C and C++).
 *
 * The module exports three functions with the standard Windows calling
 * convention (the keyword is a no-op outside 32-bit Windows):
 *
 *   GetInfo    (ordinal 1) fills a TagInfo from a file. It has no result: a
 *              failure leaves the call, the file closed, as
 *                - on Windows: the structured exception VT_EXCEPTION_CODE
 *                  with one parameter, the Win32 error code;
 *                - elsewhere: the C++ exception vomtrail::IoError, derived
 *                  from std::system_error, whose code().value() is that
 *                  Win32 error code.
 *              Fields written before the failure keep their new values.
 *   SetInfo    (ordinal 2) rewrites the file from the record in write mode
 *              0 (bare MPEG + ID3v1), 1 (RIFF "RMP3") or 2 (WAVE with new
 *              tag chunks). Returns 0 when the file was rewritten, otherwise
 *              the Win32 error code; nothing else leaves the call.
 *   GetVersion (ordinal 3) writes the module's counted version text to the
 *              start of the caller's 256-byte buffer and returns the buffer.
 *
 * A C++ exception cannot pass through C or Python frames: the program is
 * ended instead. So the POSIX library adds one export for such callers:
 *
 *   GetInfoResult does exactly what GetInfo does, leaving the record exactly
 *              as GetInfo would, but returns 0 on success and the Win32
 *              error code on failure instead of throwing.
 *
 * and one for hosts that keep the old file when they write:
 *
 *   SetInfoKeepingOld does what SetInfo does, always through a new file
 *              that takes the old one's place, and keeps the old file
 *              itself under the name keepOldAs (a path beside it, that must
 *              not exist): a backup without a copy. Where no new file can
 *              take the old one's place (hard links, a folder the caller
 *              may not write, a name on another file system), it returns
 *              VT_NOT_SUPPORTED and changes nothing.
 *
 * SetInfo, GetVersion, GetInfoResult and SetInfoKeepingOld never let an
 * exception out; C++ callers see them declared noexcept.
 *
 * Windows hosts that load Vomtrail.dll at run time can use the function
 * pointer types below with GetProcAddress; <windows.h> declares its own
 * GetVersion, so define VT_NO_PROTOTYPES there. */
#ifndef VOMTRAIL_H
#define VOMTRAIL_H

#include "TagInfo.h"

#if defined(_WIN32) && !defined(_WIN64)
#define VT_CALL __stdcall
#else
#define VT_CALL
#endif

#if defined(_WIN32)
#define VT_API
#else
#define VT_API __attribute__((visibility("default")))
#endif

/* Tells C++ callers which entry points cannot throw. */
#if defined(__cplusplus)
#define VT_NOTHROW noexcept
#else
#define VT_NOTHROW
#endif

/* The structured exception code a failed GetInfo raises on Windows. */
#define VT_EXCEPTION_CODE 0xE0564F4Du

/* Failure codes: Win32 system error codes on every platform. */
enum {
  VT_OK = 0,
  VT_FILE_NOT_FOUND = 2,
  VT_PATH_NOT_FOUND = 3,
  VT_ACCESS_DENIED = 5,
  VT_NOT_ENOUGH_MEMORY = 8,
  VT_INVALID_DATA = 13,
  VT_SHARING_VIOLATION = 32,
  VT_HANDLE_EOF = 38,
  VT_NOT_SUPPORTED = 50,
  VT_DISK_FULL = 112,
  VT_INVALID_NAME = 123,
  VT_NEGATIVE_SEEK = 131,
  VT_FILE_TOO_LARGE = 223,
  VT_IO_DEVICE = 1117
};

#ifdef __cplusplus
extern "C" {
#endif

typedef void(VT_CALL* VtGetInfoFn)(const Str255* fileName, TagInfo* info);
typedef int32_t(VT_CALL* VtSetInfoFn)(const Str255* fileName, TagInfo* info, int32_t mode);
typedef Str255*(VT_CALL* VtGetVersionFn)(Str255* buffer);

#ifndef VT_NO_PROTOTYPES
VT_API void VT_CALL GetInfo(const Str255* fileName, TagInfo* info);
VT_API int32_t VT_CALL SetInfo(const Str255* fileName, TagInfo* info, int32_t mode) VT_NOTHROW;
VT_API Str255* VT_CALL GetVersion(Str255* buffer) VT_NOTHROW;
#endif

#if !defined(_WIN32)
/* POSIX library only: the DLL's export table stays GetInfo, SetInfo and
 * GetVersion at ordinals 1 to 3. */
typedef int32_t (*VtGetInfoResultFn)(const Str255* fileName, TagInfo* info);
typedef int32_t (*VtSetInfoKeepingOldFn)(const Str255* fileName, TagInfo* info, int32_t mode,
                                         const char* keepOldAs);
#ifndef VT_NO_PROTOTYPES
VT_API int32_t GetInfoResult(const Str255* fileName, TagInfo* info) VT_NOTHROW;
VT_API int32_t SetInfoKeepingOld(const Str255* fileName, TagInfo* info, int32_t mode,
                                 const char* keepOldAs) VT_NOTHROW;
#endif
#endif

#ifdef __cplusplus
}
#endif

#endif
