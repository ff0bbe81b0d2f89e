// A path as bytes that give it back exactly: the file system's own bytes on
// POSIX (any bytes but '/' and NUL), UTF-8 on Windows (whose names are
// UTF-16 and always convert). The journal keeps paths this way.
#pragma once

#include <filesystem>
#include <string>

#include "system/FileNames.h"

namespace vthost {

inline std::string PathBytes(const std::filesystem::path& path) {
#ifdef _WIN32
  return DisplayName(path);
#else
  return path.native();
#endif
}

inline std::filesystem::path PathFromBytes(const std::string& bytes) {
#ifdef _WIN32
  return PathFromUtf8(bytes);
#else
  return std::filesystem::path(bytes);
#endif
}

}  // namespace vthost
