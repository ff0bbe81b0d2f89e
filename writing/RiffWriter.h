// The RIFF part of a new file: a fresh "RMP3" head or the source's own WAVE
// head, the audio, then one LIST INFO chunk with sixteen text sub-chunks and
// the header of an "IID3" chunk whose body, the ID3v1 block, the caller
// appends next.
#pragma once

#include <cstdint>
#include <span>

#include "Image.h"
#include "TagInfo.h"

namespace vomtrail {

class ByteReader;

inline constexpr char kSoftwareName[] = "Vom Trail!";

// Zero bytes behind a text of n bytes: its terminator, and a pad byte when
// that leaves the text odd.
constexpr std::uint32_t NulPadCount(std::size_t n) { return n % 2 == 1 ? 1 : 2; }

// The text a sub-chunk carries for an item: trimmed of bytes up to 0x20 at
// both ends, cut at its first zero byte, trimmed at the end again.
std::span<const std::uint8_t> InfoText(const Str255& item);

// The LIST chunk's size: "INFO", sixteen sub-chunks, the "IID3" chunk header
// and its 128-byte body.
std::uint32_t ListSize(const TagInfo& info);

// Writes the software name into item 10, then the head, audio, LIST INFO
// chunk and "IID3" header into the empty image, the RIFF size already
// counting the ID3v1 block that the caller appends. With keepHead the
// source's bytes from 0 to its position (head and data chunk header) stay as
// they stand but for the size word; otherwise a fresh "RMP3" head is
// written. The source stands at its first audio byte; its head and audio
// go into the image as old bytes (CarryOver), never read into memory.
void WriteRiffImage(ByteReader& source, Image& image, TagInfo& info, std::int32_t dataSize, bool keepHead);

}  // namespace vomtrail
