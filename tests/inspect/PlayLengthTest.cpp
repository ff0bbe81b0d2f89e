// The length the command shows, from a record and a file's bytes.
#include <gtest/gtest.h>

#include "FileBuilder.h"
#include "PlayLength.h"

namespace vtinspect {
namespace {

using testing::FileBuilder;

// The record GetInfo fills for an MPEG-1 Layer III stream at 44100 Hz and
// 128 kbit/s.
TagInfo Mpeg1Record() {
  TagInfo info{};
  info.MpegFamily = 1;
  info.MpegVersion = 1;
  info.Layer = 3;
  info.SampleRate = 44100;
  info.Bitrate = 128000;
  return info;
}

std::optional<PlayLength> LengthOf(const std::string& file, const TagInfo& info) {
  MemoryBytes bytes(file);
  return DerivePlayLength(ProbeBytes(bytes), info);
}

std::string Frame(std::string_view counter = "", std::uint32_t frames = 0) {
  FileBuilder frame;
  frame.Bytes({0xFF, 0xFB, 0x90, 0x00}).Zeros(32);
  if (!counter.empty()) frame.Text(counter).Be32(1).Be32(frames);
  return frame.Zeros(417 - 4 - 32 - (counter.empty() ? 0 : 12)).Get();
}

// The record's own Xing count, else the probe's header, at the record's
// samples per frame: 1152 for MPEG-1 Layer III, 576 for MPEG-2.
TEST(PlayLength, FromAFrameCount) {
  TagInfo xing = Mpeg1Record();
  xing.Vbr = 1;
  xing.FrameCount = 441;
  TagInfo mpeg2 = Mpeg1Record();
  mpeg2.MpegVersion = 2;
  mpeg2.SampleRate = 22050;
  struct Case {
    const TagInfo& info;
    std::string file;
    LengthSource source;
    std::uint32_t frames;
    double seconds;
  };
  for (const Case& c : {Case{xing, Frame("Xing", 441), LengthSource::Xing, 441, 441.0 * 1152 / 44100},
                        Case{mpeg2, Frame("Info", 100), LengthSource::Info, 100, 100.0 * 576 / 22050}}) {
    const auto length = LengthOf(c.file, c.info);
    ASSERT_TRUE(length);
    EXPECT_EQ(length->source, c.source);
    EXPECT_EQ(length->frames, c.frames);
    EXPECT_DOUBLE_EQ(length->seconds, c.seconds);
  }
}

TEST(PlayLength, EstimateWithoutTheTags) {
  TagInfo info = Mpeg1Record();
  info.HasTag = 1;
  // An ID3v2 tag of 10 + 100 bytes, 16000 audio bytes, an ID3v1 block.
  const std::string file = FileBuilder()
                               .Text("ID3")
                               .Bytes({3, 0, 0, 0, 0, 0, 100})
                               .Zeros(100)
                               .Text(Frame())
                               .Zeros(16000 - 417)
                               .Text("TAG")
                               .Zeros(125)
                               .Get();
  const auto length = LengthOf(file, info);
  ASSERT_TRUE(length);
  EXPECT_EQ(length->source, LengthSource::Bitrate);
  EXPECT_EQ(length->audioBytes, 16000u);
  EXPECT_DOUBLE_EQ(length->seconds, 1.0);
  info.Bitrate = 0;  // free format: no estimate
  EXPECT_FALSE(LengthOf(file, info));
}

TEST(PlayLength, RiffAudioIsTheDataChunkAsFarAsTheFileHoldsIt) {
  const auto data = [](std::uint32_t size) {
    return FileBuilder()
        .Text("RIFF")
        .Le32(0)
        .Text("RMP3")
        .Text("data")
        .Le32(size)
        .Text(Frame())
        .Zeros(3583)
        .Get();
  };
  EXPECT_EQ(LengthOf(data(2000), Mpeg1Record())->audioBytes, 2000u);
  EXPECT_EQ(LengthOf(data(1u << 30), Mpeg1Record())->audioBytes, 4000u);
}

TEST(PlayLength, OtherWaveAudioByItsByteRate) {
  const std::string fmt = FileBuilder().Le16(kFormatPcm).Le16(1).Le32(8000).Le32(16000).Le32(0).Get();
  const std::string file = FileBuilder()
                               .Text("RIFF")
                               .Le32(0)
                               .Text("WAVE")
                               .Chunk("fmt ", fmt)
                               .Chunk("data", std::string(8000, '\0'))
                               .Get();
  const auto length = LengthOf(file, TagInfo{});
  ASSERT_TRUE(length);
  EXPECT_EQ(length->source, LengthSource::WaveByteRate);
  EXPECT_DOUBLE_EQ(length->seconds, 0.5);
}

TEST(PlayLength, NothingWithoutAFrameOrARate) {
  EXPECT_FALSE(LengthOf("not audio at all", Mpeg1Record()));
  TagInfo info = Mpeg1Record();
  info.SampleRate = 0;
  EXPECT_FALSE(LengthOf(Frame(), info));
}

}  // namespace
}  // namespace vtinspect
