// The frame header decode and its tables, byte by byte.
#include <gtest/gtest.h>

#include "FrameHeader.h"
#include "StreamLength.h"

namespace vomtrail {
namespace {

TagInfo Decode(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  TagInfo info{};
  DecodeHeaderByte1(b1, info);
  DecodeHeaderByte2(b2, info);
  DecodeHeaderByte3(b3, info);
  return info;
}

TEST(FrameHeader, DecodesATypicalMpeg1Layer3Header) {
  const TagInfo info = Decode(0xFB, 0x90, 0x64);
  EXPECT_EQ(info.MpegFamily, 1);
  EXPECT_EQ(info.MpegVersion, 1);
  EXPECT_EQ(info.Layer, 3);
  EXPECT_EQ(info.Protected, 0);
  EXPECT_EQ(info.Bitrate, 128000);
  EXPECT_EQ(info.SampleRate, 44100);
  EXPECT_EQ(info.Padding, 0);
  EXPECT_EQ(info.PrivateBit, 0);
  EXPECT_EQ(info.ChannelMode, 6);
  EXPECT_EQ(info.Copyright, 0);
  EXPECT_EQ(info.Original, 1);
  EXPECT_EQ(info.Emphasis, 0);
}

TEST(FrameHeader, SampleRateIndexPicksTheColumnAndVersionTheRow) {
  EXPECT_EQ(Decode(0xFB, 0x94, 0).SampleRate, 48000);
  EXPECT_EQ(Decode(0xFB, 0x98, 0).SampleRate, 32000);
  EXPECT_EQ(Decode(0xF3, 0x90, 0).SampleRate, 22050);  // MPEG-2
  // Version bits 00 (MPEG-2.5) and the reserved 01 both read the MPEG-2.5 row.
  for (std::uint8_t b1 : {std::uint8_t{0xE3}, std::uint8_t{0xEB}}) {
    EXPECT_EQ(Decode(b1, 0x80, 0).SampleRate, 11025);
    EXPECT_EQ(Decode(b1, 0x84, 0).SampleRate, 12000);
    EXPECT_EQ(Decode(b1, 0x88, 0).SampleRate, 8000);
    EXPECT_EQ(Decode(b1, 0x80, 0).MpegFamily, 2);
  }
  EXPECT_EQ(Decode(0xEB, 0, 0).MpegVersion, 1);
  EXPECT_EQ(Decode(0xE3, 0, 0).MpegVersion, 2);
}

TEST(FrameHeader, BitrateRowsFollowVersionAndLayer) {
  EXPECT_EQ(Decode(0xF7, 0xB0, 0).Bitrate, 176000);  // MPEG-2 Layer I index 11
  EXPECT_EQ(Decode(0xFF, 0xE0, 0).Bitrate, 448000);  // MPEG-1 Layer I index 14
  EXPECT_EQ(Decode(0xFD, 0xE0, 0).Bitrate, 384000);  // MPEG-1 Layer II
  EXPECT_EQ(Decode(0xE3, 0xE0, 0).Bitrate, 160000);  // MPEG-2.5
  EXPECT_EQ(Decode(0xFB, 0x00, 0).Bitrate, 0);       // free format
}

TEST(FrameHeader, ReservedCodesDecodeWithoutComplaintAndLookUpAsZero) {
  EXPECT_EQ(Decode(0xFB, 0xF0, 0).Bitrate, 0);     // bitrate index 15
  EXPECT_EQ(Decode(0xFB, 0x9C, 0).SampleRate, 0);  // sample-rate index 3
  const TagInfo layer0v1 = Decode(0xF9, 0x90, 0);  // layer code 0, MPEG-1: row -1
  EXPECT_EQ(layer0v1.Layer, 0);
  EXPECT_EQ(layer0v1.Bitrate, 0);
  // Layer code 0 with MPEG-2 reads row 2, the MPEG-1 Layer III row.
  EXPECT_EQ(Decode(0xF1, 0x90, 0).Bitrate, 128000);
  EXPECT_EQ(Decode(0xFA, 0x90, 0).Protected, 1);
}

TEST(FrameHeader, SynchsafeSizeCountsSevenBitsPerByteAndTheHeader) {
  const std::uint8_t a[4] = {0, 0, 2, 1};
  EXPECT_EQ(SynchsafeSize(a), 267);
  const std::uint8_t zero[4] = {0, 0, 0, 0};
  EXPECT_EQ(SynchsafeSize(zero), 10);
  const std::uint8_t high[4] = {0xFF, 0xFF, 0xFF, 0x7F};
  EXPECT_EQ(SynchsafeSize(high), (1 << 28) - 1 + 10);
}

TEST(StreamLength, FrameLengthPerLayerAndVersion) {
  TagInfo info = Decode(0xFB, 0x90, 0x64);
  EXPECT_EQ(FrameLength(info), 417);
  info.Padding = 1;
  EXPECT_EQ(FrameLength(info), 418);
  EXPECT_EQ(FrameLength(Decode(0xFF, 0xC6, 0)), 388);  // Layer I 384k 48k padded
  EXPECT_EQ(FrameLength(Decode(0xF3, 0x80, 0)), 208);  // MPEG-2 L3 64k 22.05k
  EXPECT_EQ(FrameLength(Decode(0xF5, 0x80, 0)), 208);  // MPEG-2 L2
  for (std::uint8_t b1 : {std::uint8_t{0xE3}, std::uint8_t{0xE5}, std::uint8_t{0xE7}, std::uint8_t{0xE1}})
    EXPECT_EQ(FrameLength(Decode(b1, 0x18, 0)), 72);  // MPEG-2.5 8k 8k, any layer
  EXPECT_EQ(FrameLength(Decode(0xFB, 0x9C, 0)), 0);   // no sample rate
}

TEST(StreamLength, ConstantRateCountsAudioBytesAndTimesTheWholeFile) {
  TagInfo info = Decode(0xFB, 0x90, 0x64);
  ConstantRateLength(info, 4170000, 4000000);
  EXPECT_EQ(info.FrameCount, 10000);
  EXPECT_EQ(info.Duration, 250);
}

TEST(StreamLength, FreeFormatClearsTheStreamOrTimesAsZero) {
  TagInfo info = Decode(0xFB, 0x00, 0x64);
  info.FileKind = 2;
  ConstantRateLength(info, 1000, 1000);
  EXPECT_EQ(info.MpegFamily, 0);
  EXPECT_EQ(info.ChannelMode, 0);
  EXPECT_EQ(info.FileKind, 0);
  TagInfo padded = Decode(0xFB, 0x02, 0x64);
  ConstantRateLength(padded, 1000, 1000);
  EXPECT_EQ(padded.FrameCount, 1000);  // a frame length of 1
  EXPECT_EQ(padded.Duration, 0);       // no byte rate to divide by
}

TEST(StreamLength, XingDurationTruncates) {
  EXPECT_EQ(XingDuration(1000), 26);
  EXPECT_EQ(XingDuration(383), 10);
  EXPECT_EQ(XingDuration(382), 9);
  EXPECT_EQ(XingDuration(0x7FFFFFFF), 56070069);
}

TEST(StreamLength, XingOffsetBehindTheSideInformation) {
  TagInfo info{};
  info.MpegVersion = 1;
  info.ChannelMode = 11;
  EXPECT_EQ(XingOffset(info), 32);
  info.ChannelMode = 12;
  EXPECT_EQ(XingOffset(info), 17);
  info.MpegVersion = 2;
  EXPECT_EQ(XingOffset(info), 9);
  info.ChannelMode = 0;
  EXPECT_EQ(XingOffset(info), 17);
}

}  // namespace
}  // namespace vomtrail
