#include "FileName.h"

#include <cstring>

#include "IoError.h"

namespace vomtrail {

PathBuffer CopyFileName(const Str255& name) {
  PathBuffer path{};
  if (name.Length == 0 || std::memchr(name.Text, 0, name.Length) != nullptr) Fail(Win32Error::InvalidName);
  std::memcpy(path.data(), name.Text, name.Length);
  path[name.Length] = '\0';
  return path;
}

}  // namespace vomtrail
