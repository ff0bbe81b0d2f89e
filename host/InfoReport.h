// What `vomtrail info` prints for one file: a block of aligned lines for a
// person, or one JSON object per line for scripts.
#pragma once

#include <string>

#include "FileProbe.h"
#include "TagInfo.h"

namespace vthost {

// One file as the host knows it: the record GetInfo filled (when
// `recordRead`; a file that is not MPEG audio may make GetInfo fail) and the
// host's own look at the file's bytes.
struct FileView {
  const std::string& name;
  const TagInfo& info;
  bool recordRead;
  const FileProbe& probe;
};

// Texts in the record are shown as UTF-8, decoded from `encoding` when they
// are not UTF-8 already.
std::string TextReport(const FileView& file, const std::string& encoding);
std::string JsonReport(const FileView& file, const std::string& encoding);

// The JSON line for a file that could not be read.
std::string JsonFailure(const std::string& name, unsigned code, const std::string& words);

}  // namespace vthost
