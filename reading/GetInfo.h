#pragma once

#include "File.h"
#include "TagInfo.h"

namespace vomtrail {

// Fills info from the file at path (zero-terminated), field by field in the
// order the reading steps reach them. Throws IoError on the first failed file
// operation, after the file is closed; fields written before it stay written.
void GetFileInfo(FileSystem& files, const char* path, TagInfo& info);

}  // namespace vomtrail
