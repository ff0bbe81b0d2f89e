// One file as the report sees it: the module's record and the inspection of
// the file's bytes. Every part of the report reads from this.
#pragma once

#include <optional>
#include <string>

#include "FileInspection.h"
#include "FileProbe.h"
#include "Id3v1Block.h"
#include "TagInfo.h"

namespace vthost {

// The record GetInfo filled (when `recordRead`; a file that is not MPEG
// audio may make GetInfo fail, and the module refuses files of 2 GiB or
// more) and the inspection of the file's bytes; `probe` is the inspection's.
struct FileView {
  const std::string& name;
  const TagInfo& info;
  bool recordRead;
  const vtinspect::FileProbe& probe;
  const vtinspect::FileInspection& inspection;
  std::string recordRefusal = {};  // why the module gave no record, when the report stands without one
};

// The file's ID3v1 block: the record's reading of it, or the inspection's
// where the record has none (no record, or a block in front of an APE tag).
std::optional<vtinspect::Id3v1Block> Id3v1Of(const FileView& file);

}  // namespace vthost
