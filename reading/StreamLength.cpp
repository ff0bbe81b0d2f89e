#include "StreamLength.h"

#include <cstring>

#include "ByteOrder.h"
#include "ByteReader.h"
#include "FrameHeader.h"
#include "MpegTables.h"

namespace vomtrail {

std::int32_t XingOffset(const TagInfo& info) {
  const bool mono = info.ChannelMode >= 12;
  return SideInformationSize(info.MpegVersion == 1, mono);
}

std::int32_t XingDuration(std::int32_t frameCount) {
  // count / 38.3 == count * 10 / 383 for every count of 0 or more.
  return static_cast<std::int32_t>(std::int64_t{frameCount} * 10 / 383);
}

void ReadXingHeader(ByteReader& reader, TagInfo& info) {
  reader.Skip(XingOffset(info));
  std::uint8_t id[4];
  reader.Read(id);
  if (std::memcmp(id, "Xing", 4) != 0) return;
  info.Vbr = 1;
  std::uint8_t flags[4];
  reader.Read(flags);  // the count is taken whatever the flags say
  std::uint8_t count[4];
  reader.Read(count);
  const std::uint32_t frames = BigEndian32(count);
  if (frames > 0x7FFFFFFFu) {
    // No stream has 2^31 frames: a damaged header, not a count. Fall back to
    // the constant-rate length rather than show a negative length.
    info.Vbr = 0;
    return;
  }
  info.FrameCount = static_cast<std::int32_t>(frames);
  info.Duration = XingDuration(info.FrameCount);
}

std::int32_t FrameLength(const TagInfo& info) {
  if (info.SampleRate == 0) return 0;
  std::int32_t length = 0;
  if (info.Layer == 1) {
    length = (12 * info.Bitrate / info.SampleRate + info.Padding) * 4;
  } else if (info.Layer == 2 || info.Layer == 3) {
    // 144 / MpegVersion. For Layer III this is the true length: an MPEG-2
    // Layer III frame holds 576 samples, half of MPEG-1's 1152. An MPEG-2
    // Layer II frame holds 1152 like MPEG-1's, so its true factor is 144;
    // 72 is kept for it all the same because the frame count and play time
    // that hosts have been shown for such files rest on it, and changing
    // it would make the same file read differently from one version to
    // the next.
    const std::int32_t factor = info.MpegVersion == 1 ? 144 : 72;
    length = factor * info.Bitrate / info.SampleRate + info.Padding;
  }
  // MPEG-2.5 frames take 72 times the bitrate whatever the layer.
  if (info.MpegFamily == 2) length = 72 * info.Bitrate / info.SampleRate + info.Padding;
  return length;
}

void ConstantRateLength(TagInfo& info, std::int32_t audioBytes, std::int32_t fileSize) {
  const std::int32_t frameLength = FrameLength(info);
  if (frameLength == 0) {
    ClearStreamInfo(info);
    return;
  }
  info.FrameCount = audioBytes / frameLength;
  const std::int32_t bytesPerSecond = info.Bitrate / 8;
  // Free format with the padding bit set has a frame length but no bitrate.
  info.Duration = bytesPerSecond == 0 ? 0 : fileSize / bytesPerSecond;
}

}  // namespace vomtrail
