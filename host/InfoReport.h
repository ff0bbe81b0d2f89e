// What `vomtrail info` prints for one file: a block of aligned lines for a
// person, or one JSON object per line for scripts.
#pragma once

#include <string>

#include "TagInfo.h"

namespace vthost {

// Texts in the record are shown as UTF-8, decoded from `encoding` when they
// are not UTF-8 already.
std::string TextReport(const std::string& name, const TagInfo& info, const std::string& encoding);
std::string JsonReport(const std::string& name, const TagInfo& info, const std::string& encoding);

// The JSON line for a file that could not be read.
std::string JsonFailure(const std::string& name, unsigned code, const std::string& words);

}  // namespace vthost
