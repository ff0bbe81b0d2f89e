/* VomtrailInspect: what `vomtrail info --json` shows of a file, for C
 * callers (Linux). The library libvomtrail-inspect.so.1 stands beside the
 * module, libvomtrail.so.1, which it calls; the module's own exports are
 * untouched by it (the Windows DLL exports GetInfo, SetInfo and GetVersion
 * alone).
 *
 *   VtInspectJson(path, encoding, buffer, size, needed)
 *
 * reads the file at `path` (a file-system path of any length) and writes
 * the report into `buffer` as one JSON object, UTF-8, with a terminating
 * zero: the true length, bitrate and texts at the top, each with its
 * source, the module's own figures under "record", every tag's contents in
 * sections of their own. `encoding` names the code page of ID3v1 and RIFF
 * INFO texts that are not UTF-8 (any iconv name; NULL for CP1252).
 * `*needed`, when `needed` is not NULL, receives the bytes the report takes
 * with its zero, whatever the result.
 *
 * Results:
 *   VT_OK (0)                    the file was read; the report is in buffer.
 *   VT_INSUFFICIENT_BUFFER (122) buffer is NULL or shorter than *needed:
 *                                nothing was written; call again with a
 *                                buffer of *needed bytes.
 *   VT_INVALID_PARAMETER (87)    path is NULL, or encoding is no code page
 *                                the system knows.
 *   a failure code of Vomtrail.h (VT_FILE_NOT_FOUND, ...): the file could
 *                                not be read; the report in buffer says
 *                                {"ok": false, "code": ..., "error": ...}.
 *
 * Nothing is kept between calls; the function never lets an exception
 * out. */
#ifndef VOMTRAIL_INSPECT_H
#define VOMTRAIL_INSPECT_H

#include <stddef.h>
#include <stdint.h>

#include "Vomtrail.h"

#define VT_INVALID_PARAMETER 87
#define VT_INSUFFICIENT_BUFFER 122

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t (*VtInspectJsonFn)(const char* path, const char* encoding, char* buffer, size_t size,
                                   size_t* needed);
#ifndef VT_NO_PROTOTYPES
VT_API int32_t VtInspectJson(const char* path, const char* encoding, char* buffer, size_t size,
                             size_t* needed) VT_NOTHROW;
#endif

#ifdef __cplusplus
}
#endif

#endif
