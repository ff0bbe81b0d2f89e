// Everything the inspection finds in one file, read with one open and a few
// reads: the probe's facts, the tags at both ends and the play length. The
// vomtrail command shows it beside the module's record; library callers get
// it as the same report.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "ByteSource.h"
#include "FileProbe.h"
#include "Id3v1Block.h"
#include "PlayLength.h"
#include "tags/ApeTag.h"
#include "tags/Id3v2Tag.h"

namespace vtinspect {

struct InspectOptions {
  bool tags = true;    // false: the tags' contents are not read (the ID3v1 block still is)
  bool length = true;  // false: the play length is not worked out (no frames are counted)
};

struct FileInspection {
  FileProbe probe;
  std::vector<Id3v2Tag> id3v2;      // the tags at the start, in file order
  std::optional<ApeTag> ape;        // a bare stream's APE tag at the end
  std::optional<Id3v1Block> id3v1;  // a bare stream's ID3v1 block
  std::optional<PlayLength> length;
};

// `file` is best a HeadAndTail (InspectFile makes one).
FileInspection InspectBytes(ByteSource& file, const InspectOptions& options = {});
// A file that is not a regular file, or cannot be opened, is not readable.
FileInspection InspectFile(const std::filesystem::path& path, const InspectOptions& options = {});

}  // namespace vtinspect
