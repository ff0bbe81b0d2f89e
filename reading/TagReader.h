// Reading the tag texts: the LIST INFO chunks and the "IID3" chunk behind the
// audio of a RIFF file, and the ID3v1 block at the end of any file.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "TagInfo.h"

namespace vomtrail {

class ByteReader;

// Bytes behind the RIFF audio that are scanned for INFO ids: positions 0 to
// 1000. They hold the whole list the module writes while its texts are
// short (310 bytes when all are empty); longer texts push the "IID3" chunk
// out of the window, and its block is then found again as the file's last
// 128 bytes, which is where the module's writer puts it.
inline constexpr std::size_t kRiffTrailerSize = 1001;

// A text of 0 to 256 bytes: bytes[start .. start + count] up to the first
// zero byte, as a view into bytes. A negative count gives the empty text.
// The caller keeps start + count inside bytes and count below 256.
std::span<const std::uint8_t> SliceText(std::span<const std::uint8_t> bytes, std::int32_t start,
                                        std::int32_t count);

// Drops trailing bytes up to 0x20 (spaces and control bytes).
std::span<const std::uint8_t> RightTrim(std::span<const std::uint8_t> text);

// Scans the trailer for the seventeen INFO ids and stores the text of every
// hit; an "IID3" hit is read as an ID3v1 block. True when "IID3" was found.
bool ScanRiffInfo(std::span<const std::uint8_t> trailer, TagInfo& info);

// The body of an "IID3" chunk: the 256-byte chunk text buffer whose first
// 128 bytes are the block (the scan copied them there). Texts untrimmed, the
// marker not tested.
void ReadIid3Body(std::span<const std::uint8_t, 256> body, TagInfo& info);

// The RIFF tag step: reads up to 1001 bytes from audioBytes + 21 and scans
// them. True when an "IID3" chunk was found.
bool ReadRiffTags(ByteReader& reader, std::int32_t audioBytes, TagInfo& info);

// The ID3v1 trailer step: the block in the last 128 bytes, texts trimmed.
// Returns the new count of audio bytes.
std::int32_t ReadId3v1Trailer(ByteReader& reader, TagInfo& info);

}  // namespace vomtrail
