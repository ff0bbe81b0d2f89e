// The MPEG audio frame header: four bytes, the first the sync byte 0xFF.
// Bytes 1 to 3 are decoded into the record without rejecting any pattern;
// codes the tables hold no entry for give 0.
#pragma once

#include <cstdint>

#include "MpegTables.h"
#include "TagInfo.h"

namespace vomtrail {

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
