#pragma once

#include "Image.h"
#include "TagInfo.h"

namespace vomtrail {

inline constexpr std::size_t kId3v1BlockSize = 128;

// Appends the 128-byte ID3v1 block made from the record's ID3v1 texts: each
// text copied byte for byte, cut at its field's width, padded with spaces.
// TagKind 1 gives the ID3v1.1 form with a track byte.
void WriteId3v1Block(Image& image, const TagInfo& info);

}  // namespace vomtrail
