// Reading a rewritten file back: what GetFileInfo must find in a file that
// SetFileInfo has just written, derived from the file's known layout and the
// reading rules (trailing block texts are trimmed, "IID3" chunk texts are
// not; RIFF INFO chunks are searched in a 1001-byte window behind the audio).
#pragma once

#include <cstdint>
#include <string>

#include "ExpectedFile.h"
#include "TagInfo.h"

namespace vomtrail::fuzzing {

// Whether the reader sees the file as the container it was written as: a
// bare result that happens to start like a RIFF RMP3 or WAVE file is read as
// one, and then no text can be predicted from the trailing block alone.
bool ReadAsWritten(const Bytes& file, std::uint8_t mode);

// Aborts when the six ID3v1 items, Track and HasTag of `after` are not what
// a reader finds in the 128-byte block: texts up to their first zero byte,
// right-trimmed when the block trails the file, as they stand in a RIFF
// "IID3" chunk.
void CheckBlockTexts(const std::string& block, bool trimmed, const TagInfo& before, const TagInfo& after);

// Aborts when `after` (read from `file`, starting from `before`) differs
// from what the reading rules give.
void CheckReadBack(const Bytes& file, const ExpectedFile& layout, std::uint8_t mode, const TagInfo& before,
                   const TagInfo& after);

}  // namespace vomtrail::fuzzing
