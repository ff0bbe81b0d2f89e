#include "FrameHeader.h"

namespace vomtrail {

std::int32_t LookupBitrate(unsigned index, const TagInfo& info) {
  int row;
  if (info.MpegFamily == 2) {
    row = kMpeg25BitrateRow;
  } else if (info.MpegVersion == 1) {
    row = kMpeg1BitrateRow + info.Layer - 1;  // -1 for the reserved layer code 0
  } else {
    row = kMpeg2BitrateRow + info.Layer - 1;  // layer code 0 lands on row 2, MPEG-1 Layer III
  }
  if (row < 0 || row >= static_cast<int>(kBitrateTable.size()) || index >= kBitrateTable[0].size()) return 0;
  return static_cast<std::int32_t>(kBitrateTable[static_cast<std::size_t>(row)][index]) * 1000;
}

std::int32_t LookupSampleRate(unsigned index, const TagInfo& info) {
  const std::size_t row = info.MpegFamily == 2 ? 2 : (info.MpegVersion == 1 ? 0 : 1);
  if (index >= kSampleRateTable[row].size()) return 0;
  return kSampleRateTable[row][index];
}

void DecodeHeaderByte1(std::uint8_t byte, TagInfo& info) {
  // Bits 4 and 3 are the version code: 11 MPEG-1, 10 MPEG-2, 00 MPEG-2.5
  // and the reserved 01, which falls in with MPEG-2.5 where family decides.
  info.MpegFamily = (byte & 0x10) ? 1 : 2;
  info.MpegVersion = (byte & 0x08) ? 1 : 2;
  static constexpr std::uint8_t kLayerFromCode[4] = {0, 3, 2, 1};
  info.Layer = kLayerFromCode[(byte >> 1) & 3];
  info.Protected = (byte & 1) ? 0 : 1;  // a clear bit means a CRC follows
}

void DecodeHeaderByte2(std::uint8_t byte, TagInfo& info) {
  info.Bitrate = LookupBitrate(byte >> 4, info);
  info.SampleRate = LookupSampleRate((byte >> 2) & 3, info);
  info.Padding = (byte >> 1) & 1;
  info.PrivateBit = byte & 1;
}

void DecodeHeaderByte3(std::uint8_t byte, TagInfo& info) {
  info.ChannelMode = byte >> 4;
  info.Copyright = (byte >> 3) & 1;
  info.Original = (byte >> 2) & 1;
  info.Emphasis = byte & 3;
}

std::int32_t SynchsafeSize(const std::uint8_t (&size)[4]) {
  const std::int32_t body = ((size[0] & 0x7F) << 21) | ((size[1] & 0x7F) << 14) | ((size[2] & 0x7F) << 7) |
                            size[3];  // the last byte unmasked, as read
  return body + 10;                   // the tag header itself
}

void ClearStreamInfo(TagInfo& info) {
  info.MpegFamily = 0;
  info.MpegVersion = 0;
  info.Layer = 0;
  info.Protected = 0;
  info.Bitrate = 0;
  info.SampleRate = 0;
  info.Padding = 0;
  info.PrivateBit = 0;
  info.ChannelMode = 0;
  info.Copyright = 0;
  info.Original = 0;
  info.Emphasis = 0;
  info.Duration = 0;
  info.FrameCount = 0;
  info.FileKind = 0;
}

}  // namespace vomtrail
