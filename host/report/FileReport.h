// The model of what `vomtrail info` knows about one file: the inspection of
// the file's bytes and the record GetInfo filled, as report fields. A new
// fact about a file is added here (or in the part of the model it belongs
// to: AudioFields, ShownTexts, TagFields, RecordFields), once, and both
// outputs show it.
#pragma once

#include <string>

#include "report/FileView.h"
#include "report/Report.h"

namespace vthost {

// The top of the report holds the true figures and texts, each with its
// source; the module's own figures stand under "record". Texts in the
// record are shown as UTF-8, decoded from `encoding` when they are not
// UTF-8 already.
Report DescribeFile(const FileView& file, const std::string& encoding);

// A file that could not be read: the module's code and what it means.
Report DescribeFailure(const std::string& name, unsigned code, const std::string& words);

}  // namespace vthost
