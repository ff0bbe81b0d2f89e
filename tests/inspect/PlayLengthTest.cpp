// The length and bitrate of a file's audio, from its bytes, by the rules in
// their order: a frame-count header (gapless where LAME's extension says),
// a WAVE fact chunk, the frames counted, the bitrate estimate.
#include <gtest/gtest.h>

#include "FileBuilder.h"
#include "PlayLength.h"

namespace vtinspect {
namespace {

using testing::FileBuilder;

// MPEG-1 Layer III at 44100 Hz: 417 bytes at 128 kbit/s (0x90), 208 at 64
// kbit/s (0x50); 1152 samples each.
std::string Frame(std::uint8_t rate = 0x90) {
  const std::size_t size = rate == 0x90 ? 417 : 208;
  return FileBuilder().Bytes({0xFF, 0xFB, rate, 0x00}).Zeros(size - 4).Get();
}

std::string Frames(int count, std::uint8_t rate = 0x90) {
  std::string frames;
  for (int i = 0; i < count; ++i) frames += Frame(rate);
  return frames;
}

// A first frame with a Xing or Info header (frames, bytes, TOC and quality)
// and LAME's extension: encoder delay 576, padding 1224 (12 bits each).
std::string HeaderFrame(std::string_view name, std::uint32_t frames, std::uint32_t bytes) {
  FileBuilder frame;
  frame.Bytes({0xFF, 0xFB, 0x90, 0x00}).Zeros(32).Text(name).Be32(0x0F).Be32(frames).Be32(bytes).Zeros(104);
  frame.Text("LAME3.100").Bytes({name == "Info" ? std::uint8_t{1} : std::uint8_t{4}}).Zeros(11);
  frame.Bytes({0x24, 0x04, 0xC8}).Zeros(2).Bytes({0x01, 0xE0}).Zeros(8);  // delay/padding, preset 480
  return frame.Zeros(417 - frame.Size()).Get();
}

std::optional<PlayLength> LengthOf(const std::string& file) {
  MemoryBytes bytes(file);
  return MeasurePlayLength(bytes, ProbeBytes(bytes));
}

TEST(PlayLength, FrameCountHeaderLessTheEncoderDelayAndPadding) {
  for (const std::string_view name : {"Xing", "Info"}) {
    const std::string file = HeaderFrame(name, 100, 101 * 417) + Frames(100);
    const auto length = LengthOf(file);
    ASSERT_TRUE(length);
    EXPECT_EQ(length->source, name == "Xing" ? LengthSource::Xing : LengthSource::Info);
    EXPECT_EQ(length->frames, 100u);
    ASSERT_TRUE(length->gapless);
    EXPECT_EQ((std::tuple{length->gapless->delay, length->gapless->padding}), (std::tuple{576u, 1224u}));
    EXPECT_DOUBLE_EQ(length->gapless->framesSeconds, 100 * 1152 / 44100.0);
    EXPECT_DOUBLE_EQ(length->seconds, (100 * 1152 - 1800) / 44100.0);
    EXPECT_EQ(length->vbr, name == "Xing");
    // A VBR stream's bitrate is its average over all its frames.
    EXPECT_DOUBLE_EQ(length->bitrate, name == "Xing" ? 101 * 417 * 8 / (100 * 1152 / 44100.0) : 128000);
    EXPECT_FALSE(length->promisedSeconds);
  }
}

TEST(PlayLength, AFileCutShortIsCountedAndSaysWhatItsHeaderPromised) {
  const auto length = LengthOf(HeaderFrame("Xing", 100, 101 * 417) + Frames(20) + "cut");
  ASSERT_TRUE(length);
  EXPECT_EQ(length->source, LengthSource::Counted);
  EXPECT_EQ(length->frames, 20u);  // the header's frame holds no audio
  EXPECT_DOUBLE_EQ(length->seconds, (20 * 1152 - 576) / 44100.0);
  EXPECT_DOUBLE_EQ(*length->promisedSeconds, (100 * 1152 - 1800) / 44100.0);
  // Short by less than two of the longest frames is no cut.
  EXPECT_FALSE(LengthOf(HeaderFrame("Xing", 100, 101 * 417) + Frames(97))->promisedSeconds);
}

TEST(PlayLength, WaveFactChunkBeforeCounting) {
  const std::string fmt = FileBuilder().Le16(kFormatMpegLayer3).Le16(2).Le32(44100).Le32(16000).Get();
  const std::string file = FileBuilder()
                               .Text("RIFF")
                               .Le32(0)
                               .Text("WAVE")
                               .Chunk("fmt ", fmt)
                               .Chunk("fact", FileBuilder().Le32(22050).Get())
                               .Chunk("data", Frames(5) + Frames(5, 0x50))
                               .Get();
  const auto length = LengthOf(file);
  ASSERT_TRUE(length);
  EXPECT_EQ(length->source, LengthSource::Fact);
  EXPECT_DOUBLE_EQ(length->seconds, 0.5);
  EXPECT_TRUE(length->vbr);  // the first frames' bitrates differ
  EXPECT_FALSE(length->frames);
}

TEST(PlayLength, FramesCountedWithoutAHeader) {
  struct Case {
    std::string audio;
    std::uint64_t frames;
    bool vbr;
    double bitrate;
  };
  const double tenFrames = 10 * 1152 / 44100.0;
  for (const Case& c : {Case{Frames(10), 10, false, 128000},
                        Case{Frames(5) + Frames(5, 0x50), 10, true, (5 * 417 + 5 * 208) * 8 / tenFrames},
                        // damage between frames is stepped over, as decoders resynchronise
                        Case{Frames(5) + "junk \xFF\xF0" + Frames(5), 10, false, 128000}}) {
    // The ID3v1 block at the end is no audio.
    const auto length = LengthOf(c.audio + "TAG" + std::string(125, ' '));
    ASSERT_TRUE(length);
    EXPECT_EQ(length->source, LengthSource::Counted);
    EXPECT_EQ(length->frames, c.frames);
    EXPECT_DOUBLE_EQ(length->seconds, tenFrames);
    EXPECT_EQ(length->vbr, c.vbr);
    EXPECT_DOUBLE_EQ(length->bitrate, c.bitrate);
  }
}

TEST(PlayLength, EstimateOnlyWhenNoFrameCanBeCounted) {
  // Less than one whole frame: the audio bytes at the first frame's bitrate.
  const auto length = LengthOf(Frame().substr(0, 200));
  ASSERT_TRUE(length);
  EXPECT_EQ(length->source, LengthSource::Bitrate);
  EXPECT_DOUBLE_EQ(length->seconds, 200 * 8 / 128000.0);
  // The free format says nothing of its frames' lengths.
  EXPECT_FALSE(LengthOf(FileBuilder().Bytes({0xFF, 0xFB, 0x00, 0x00}).Zeros(400).Get()));
  EXPECT_FALSE(LengthOf("not audio at all"));
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
  const auto length = LengthOf(file);
  ASSERT_TRUE(length);
  EXPECT_EQ(length->source, LengthSource::WaveByteRate);
  EXPECT_DOUBLE_EQ(length->seconds, 0.5);
}

}  // namespace
}  // namespace vtinspect
