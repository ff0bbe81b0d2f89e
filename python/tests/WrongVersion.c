/* A library with the module's entry points that answers another version:
 * the bindings must refuse it before passing it a record. */
#include <string.h>

#include <Vomtrail.h>

int32_t GetInfoResult(const Str255* fileName, TagInfo* info) {
  (void)fileName;
  (void)info;
  return VT_NOT_SUPPORTED;
}

int32_t SetInfo(const Str255* fileName, TagInfo* info, int32_t mode) {
  (void)fileName;
  (void)info;
  (void)mode;
  return VT_NOT_SUPPORTED;
}

Str255* GetVersion(Str255* buffer) {
  buffer->Length = 3;
  memcpy(buffer->Text, "0.9", 3);
  return buffer;
}
