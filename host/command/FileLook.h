// One file read for a table or a pattern: the inspection of its bytes, the
// record GetInfo fills, its stamp, and the words of its failure. Made on any
// thread (it prints nothing), shown by the one that keeps the output order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "FileInspection.h"
#include "TagInfo.h"
#include "system/FileStamp.h"

namespace vthost {

struct FileLook {
  std::filesystem::path path;
  std::string name;                      // as the command shows it
  vtinspect::FileInspection inspection;  // the probe and the tags; no play length
  TagInfo info{};
  std::uint32_t code = 0;              // GetInfo's, or why the module was not asked
  bool recordRead = false;             // GetInfo filled `info`
  std::optional<std::string> failure;  // the file cannot be shown: why
  std::optional<FileStamp> stamp;
};

// A file that is not MPEG audio has no failure: what it is shows as such,
// whatever the module made of its bytes.
FileLook LookAtFile(const std::filesystem::path& path);

// The inspection of a file through one open (ReadOnlyFile: its stamp comes
// with it) and one read of each end (HeadAndTail); nothing for a path that
// is no regular file or cannot be opened.
vtinspect::FileInspection InspectOnce(const std::filesystem::path& path,
                                      const vtinspect::InspectOptions& options,
                                      std::optional<FileStamp>* stamp = nullptr);

}  // namespace vthost
