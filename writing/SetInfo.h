#pragma once

#include <cstdint>

#include "File.h"
#include "TagInfo.h"

namespace vomtrail {

// Rewrites the file at path (zero-terminated) from the record in the given
// write mode: 0 bare MPEG stream + ID3v1 block, 1 RIFF "RMP3", 2 WAVE with
// new tag chunks. Returns 0 when the whole new file was written and cut to
// its length, otherwise a Win32 error code; 50 for a mode the record's
// FileKind has no way to write. Never throws. With `keepOldAs`, the new file
// is written beside the old one, which stays under that name; 50, with
// nothing changed, where that cannot be (CommitContent).
std::uint32_t SetFileInfo(FileSystem& files, const char* path, TagInfo& info, std::uint8_t mode,
                          const char* keepOldAs = nullptr);

}  // namespace vomtrail
