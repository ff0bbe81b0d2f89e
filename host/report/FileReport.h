// The model of what `vomtrail info` knows about one file: the record GetInfo
// filled and the command's own look at the file's bytes, as report fields.
// A new fact about a file is added here, once, and both outputs show it.
#pragma once

#include <string>

#include "FileProbe.h"
#include "TagInfo.h"
#include "report/Report.h"

namespace vthost {

// One file as the command knows it: the record GetInfo filled (when
// `recordRead`; a file that is not MPEG audio may make GetInfo fail) and the
// inspection of the file's bytes.
struct FileView {
  const std::string& name;
  const TagInfo& info;
  bool recordRead;
  const vtinspect::FileProbe& probe;
};

// Texts in the record are shown as UTF-8, decoded from `encoding` when they
// are not UTF-8 already.
Report DescribeFile(const FileView& file, const std::string& encoding);

// A file that could not be read: the module's code and what it means.
Report DescribeFailure(const std::string& name, unsigned code, const std::string& words);

}  // namespace vthost
