// The length of the stream: from a Xing header in the first frame when there
// is one, otherwise from the constant frame length.
#pragma once

#include <cstdint>

#include "TagInfo.h"

namespace vomtrail {

class ByteReader;

// Distance from the byte after the frame header to where a Xing header
// stands: behind the side information, whose size depends on the version and
// on whether the stream is mono. A CRC is not counted.
std::int32_t XingOffset(const TagInfo& info);

// Looks for a Xing header with the reader just behind header byte 3. Sets
// Vbr, FrameCount and Duration when one is there.
void ReadXingHeader(ByteReader& reader, TagInfo& info);

// Play time of a Xing stream: the count over 38.3 frames per second,
// truncated, in integers so every build agrees.
std::int32_t XingDuration(std::int32_t frameCount);

// Bytes in one frame from the header fields; 0 when no length follows from
// them (free format without padding, reserved codes).
std::int32_t FrameLength(const TagInfo& info);

// FrameCount from audioBytes and Duration from fileSize, or ClearStreamInfo
// when the frame length is 0.
void ConstantRateLength(TagInfo& info, std::int32_t audioBytes, std::int32_t fileSize);

}  // namespace vomtrail
