// One file read for a table or a pattern: the inspection of its bytes, the
// record GetInfo fills, its stamp, and the words of its failure. Made on any
// thread (it prints nothing), shown by the one that keeps the output order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "FileProbe.h"
#include "TagInfo.h"
#include "system/FileStamp.h"

namespace vthost {

struct FileLook {
  std::filesystem::path path;
  std::string name;  // as the command shows it
  vtinspect::FileProbe probe;
  TagInfo info{};
  std::uint32_t code = 0;              // GetInfo's, or why the module was not asked
  bool recordRead = false;             // GetInfo filled `info`
  std::optional<std::string> failure;  // the file cannot be shown: why
  std::optional<FileStamp> stamp;
};

// A file that is not MPEG audio has no failure: what it is shows as such,
// whatever the module made of its bytes.
FileLook LookAtFile(const std::filesystem::path& path);

}  // namespace vthost
