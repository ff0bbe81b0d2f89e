// The MPEG audio frame header: four bytes, the first the sync byte 0xFF.
// Bytes 1 to 3 are decoded into the record without rejecting any pattern;
// codes the tables hold no entry for give 0.
#pragma once

#include <array>
#include <cstdint>

#include "TagInfo.h"

namespace vomtrail {

// kbit/s by row (stream and layer) and bitrate index 0 to 14; index 0 is
// free format. Index 15 is reserved and has no column.
inline constexpr std::array<std::array<std::uint16_t, 15>, 7> kBitrateTable = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 Layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 Layer II
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 Layer III
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2.5, every layer
}};

// Hz by row (MPEG-1, MPEG-2, MPEG-2.5) and sample-rate index 0 to 2; index 3
// is reserved.
inline constexpr std::array<std::array<std::uint16_t, 3>, 3> kSampleRateTable = {{
    {44100, 48000, 32000},
    {22050, 24000, 16000},
    {11025, 12000, 8000},
}};

// bit/s for a bitrate index 0 to 15, given MpegFamily, MpegVersion and Layer.
std::int32_t LookupBitrate(unsigned index, const TagInfo& info);
// Hz for a sample-rate index 0 to 3, given MpegFamily and MpegVersion.
std::int32_t LookupSampleRate(unsigned index, const TagInfo& info);

// The header fields, one header byte at a time, in the record's field order.
void DecodeHeaderByte1(std::uint8_t byte, TagInfo& info);
void DecodeHeaderByte2(std::uint8_t byte, TagInfo& info);
void DecodeHeaderByte3(std::uint8_t byte, TagInfo& info);

// The size of a whole ID3v2 tag, its 10-byte header included, from the four
// synchsafe size bytes (7 bits each, most significant first).
std::int32_t SynchsafeSize(const std::uint8_t (&size)[4]);

// Zeroes the twelve header fields, Duration, FrameCount and FileKind.
void ClearStreamInfo(TagInfo& info);

}  // namespace vomtrail
