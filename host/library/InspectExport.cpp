// The inspection for C callers: the report `vomtrail info --json` prints,
// made by the same code, into the caller's buffer.
#include <cstring>
#include <new>

#include "VomtrailInspect.h"
#include "command/FileReading.h"
#include "report/JsonRenderer.h"
#include "system/TextCodec.h"

extern "C" VT_API std::int32_t VtInspectJson(const char* path, const char* encoding, char* buffer,
                                             std::size_t size, std::size_t* needed) noexcept {
  if (needed != nullptr) *needed = 0;
  if (path == nullptr) return VT_INVALID_PARAMETER;
  try {
    const std::string codePage = encoding != nullptr ? encoding : vthost::kDefaultEncoding;
    if (!vthost::IsKnownEncoding(codePage)) return VT_INVALID_PARAMETER;
    const vthost::FileReading reading = vthost::ReadFile(std::filesystem::path(path), path, codePage);
    const std::string json = vthost::RenderJson(reading.report);
    if (needed != nullptr) *needed = json.size() + 1;
    if (buffer == nullptr || size < json.size() + 1) return VT_INSUFFICIENT_BUFFER;
    std::memcpy(buffer, json.c_str(), json.size() + 1);
    return static_cast<std::int32_t>(reading.failure);
  } catch (const std::bad_alloc&) {
    return VT_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return VT_IO_DEVICE;
  }
}
