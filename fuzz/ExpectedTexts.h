// What the format rules say a text becomes on its way into a file and back,
// worked out from the rules alone so the fuzz targets can judge the module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "TagInfo.h"

namespace vomtrail::fuzzing {

std::string TextOf(const Str255& item);

// An ID3v1 text field as written: the first bytes of the text, cut at the
// field's 30-byte area, padded with spaces, then the first `width` bytes.
std::string Id3v1Field(const Str255& item, std::size_t width);

// The whole 128-byte ID3v1 block a record makes.
std::string Id3v1Block(const TagInfo& info);

// A field read back from a trailing block: up to the first zero byte, then
// trailing bytes 0x20 and below dropped.
std::string ReadBackTrimmed(const std::string& field);

// A field read back from a RIFF "IID3" chunk: up to the first zero byte, as
// it stands.
std::string ReadBackUntrimmed(const std::string& field);

// A RIFF INFO text as written: trimmed of bytes 0x20 and below at both ends,
// cut before its first zero byte, trimmed at the end again.
std::string InfoText(const Str255& item);

std::uint32_t LittleEndian32(const std::uint8_t* bytes);

}  // namespace vomtrail::fuzzing
