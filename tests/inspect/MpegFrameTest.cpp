// The frame header and the frame-count headers, from bytes.
#include <gtest/gtest.h>

#include <tuple>

#include "FileBuilder.h"
#include "MpegFrame.h"

namespace vtinspect {
namespace {

using testing::FileBuilder;

std::optional<FrameHeader> Decode(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3 = 0) {
  return DecodeFrameHeader(FileBuilder().Bytes({0xFF, b1, b2, b3}).Get());
}

TEST(MpegFrame, DecodesEachVersionAndLayer) {
  const auto mpeg1 = Decode(0xFB, 0x90, 0xC4);  // MPEG-1 Layer III, no CRC, 128 kbit/s, 44100 Hz, mono
  ASSERT_TRUE(mpeg1);
  EXPECT_EQ((std::tuple{mpeg1->version, mpeg1->layer, mpeg1->bitrate, mpeg1->sampleRate}),
            (std::tuple{1, 3, 128000, 44100}));
  EXPECT_FALSE(mpeg1->crc);
  EXPECT_TRUE(mpeg1->mono);
  const auto mpeg2 = Decode(0xF2, 0x14);  // MPEG-2 Layer III with CRC, 8 kbit/s, 24000 Hz
  ASSERT_TRUE(mpeg2);
  EXPECT_EQ((std::tuple{mpeg2->version, mpeg2->layer, mpeg2->bitrate, mpeg2->sampleRate, mpeg2->crc}),
            (std::tuple{2, 3, 8000, 24000, true}));
  const auto mpeg25 = Decode(0xE3, 0x88);  // MPEG-2.5 Layer III, 64 kbit/s, 32000 / 4 Hz
  ASSERT_TRUE(mpeg25);
  EXPECT_EQ((std::tuple{mpeg25->version, mpeg25->bitrate, mpeg25->sampleRate}),
            (std::tuple{25, 64000, 8000}));
}

TEST(MpegFrame, BitrateTableCorners) {
  // Index 14, the last, of each row; index 0 is the free format.
  EXPECT_EQ(Decode(0xFF, 0xE0)->bitrate, 448000);  // MPEG-1 Layer I
  EXPECT_EQ(Decode(0xFD, 0xE0)->bitrate, 384000);  // MPEG-1 Layer II
  EXPECT_EQ(Decode(0xFB, 0xE0)->bitrate, 320000);  // MPEG-1 Layer III
  EXPECT_EQ(Decode(0xF7, 0xE0)->bitrate, 256000);  // MPEG-2 Layer I
  EXPECT_EQ(Decode(0xF5, 0xE0)->bitrate, 160000);  // MPEG-2 Layer II
  EXPECT_EQ(Decode(0xF3, 0xE0)->bitrate, 160000);  // MPEG-2 Layer III
  EXPECT_EQ(Decode(0xFB, 0x00)->bitrate, 0);
  // An MPEG-2.5 Layer I header reads through the MPEG-2 Layer I row (the
  // module's reader takes the MPEG-2.5 row, 8 kbit/s, for it).
  EXPECT_EQ(Decode(0xE7, 0x10)->bitrate, 32000);
}

TEST(MpegFrame, RefusesWhatCannotBeAHeader) {
  EXPECT_FALSE(Decode(0xEB, 0x90));  // reserved version code 01
  EXPECT_FALSE(Decode(0xF9, 0x90));  // reserved layer code 00
  EXPECT_FALSE(Decode(0xFB, 0xF0));  // bitrate index 15
  EXPECT_FALSE(Decode(0xFB, 0x9C));  // sample-rate index 3
  EXPECT_FALSE(Decode(0xDB, 0x90));  // a sync bit missing
  EXPECT_FALSE(DecodeFrameHeader(std::string("\xFF\xFB\x90", 3)));
  EXPECT_FALSE(DecodeFrameHeader(std::string("\xFE\xFB\x90\x00", 4)));
}

TEST(MpegFrame, SamplesPerFrame) {
  EXPECT_EQ(SamplesPerFrame(*Decode(0xFF, 0x90)), 384);
  EXPECT_EQ(SamplesPerFrame(*Decode(0xF5, 0x90)), 1152);  // MPEG-2 Layer II
  EXPECT_EQ(SamplesPerFrame(*Decode(0xFB, 0x90)), 1152);
  EXPECT_EQ(SamplesPerFrame(*Decode(0xF3, 0x90)), 576);
  EXPECT_EQ(SamplesPerFrame(*Decode(0xE3, 0x90)), 576);
}

// A first frame with `name` and a frame count `at` bytes in.
std::string FrameWith(std::string_view name, std::size_t at, std::uint32_t flags, std::uint32_t frames,
                      std::uint8_t b1 = 0xFB, std::uint8_t b3 = 0x00) {
  FileBuilder frame;
  frame.Bytes({0xFF, b1, 0x90, b3}).Zeros(at - 4).Text(name).Be32(flags).Be32(frames).Zeros(100);
  return frame.Get();
}

TEST(MpegFrame, FrameCountBehindTheSideInformation) {
  struct Case {
    std::uint8_t b1, b3;
    std::size_t at;
  };
  // MPEG-1 stereo 32 bytes, mono 17; MPEG-2 stereo 17, mono 9; a CRC adds 2.
  for (const Case c : {Case{0xFB, 0x00, 36}, Case{0xFB, 0xC0, 21}, Case{0xF3, 0x00, 21}, Case{0xF3, 0xC0, 13},
                       Case{0xFA, 0x00, 38}}) {
    const std::string frame = FrameWith("Xing", c.at, 0x0F, 1234, c.b1, c.b3);
    const auto found = FindFrameCountHeader(frame, *DecodeFrameHeader(frame));
    ASSERT_TRUE(found) << c.at;
    EXPECT_EQ(found->kind, FrameCountKind::Xing);
    EXPECT_EQ(found->frames, 1234u);
  }
  const std::string info = FrameWith("Info", 36, 0x01, 77);
  EXPECT_EQ(FindFrameCountHeader(info, *DecodeFrameHeader(info))->kind, FrameCountKind::Info);
}

TEST(MpegFrame, FrameCountNeedsItsFlagAndItsBytes) {
  const std::string noCount = FrameWith("Xing", 36, 0x0E, 1234);
  EXPECT_FALSE(FindFrameCountHeader(noCount, *DecodeFrameHeader(noCount)));
  const std::string cut = FrameWith("Xing", 36, 0x0F, 1234).substr(0, 46);
  EXPECT_FALSE(FindFrameCountHeader(cut, *DecodeFrameHeader(cut)));
  const std::string elsewhere = FrameWith("Xing", 30, 0x0F, 1234);
  EXPECT_FALSE(FindFrameCountHeader(elsewhere, *DecodeFrameHeader(elsewhere)));
}

TEST(MpegFrame, FrameLengths) {
  EXPECT_EQ(FrameLength(*Decode(0xFB, 0x90)), 417u);      // MPEG-1 Layer III, 128 kbit/s, 44100 Hz
  EXPECT_EQ(FrameLength(*Decode(0xFB, 0x92)), 418u);      // with the padding slot
  EXPECT_EQ(FrameLength(*Decode(0xFF, 0x98)), 4u * 108);  // Layer I: 4-byte slots, 288 kbit/s at 32000 Hz
  EXPECT_EQ(FrameLength(*Decode(0xF5, 0x88)), 144u * 64 / 16);  // MPEG-2 Layer II: 1152 samples
  EXPECT_EQ(FrameLength(*Decode(0xF3, 0x88)), 72u * 64 / 16);   // MPEG-2 Layer III: 576 samples
  EXPECT_EQ(FrameLength(*Decode(0xFB, 0x00)), 0u);              // free format
}

// LAME's extension behind the Xing fields: the encoder, its method, the
// delay and padding in 12 bits each, the preset in 11.
TEST(MpegFrame, LameExtension) {
  const auto lame = [](std::string_view encoder, std::uint8_t method, std::uint16_t preset) {
    return FileBuilder()
        .Text(encoder)
        .Bytes({method})
        .Zeros(11)
        .Bytes({0x24, 0x04, 0xC8, 0, 0, static_cast<std::uint8_t>(preset >> 8),
                static_cast<std::uint8_t>(preset)})
        .Zeros(8)
        .Get();
  };
  const auto tag = ParseLameTag(lame("LAME3.100", 4, 480));
  ASSERT_TRUE(tag);
  EXPECT_EQ((std::tuple{tag->encoder, tag->delay, tag->padding, tag->Settings()}),
            (std::tuple{std::string("LAME3.100"), 576u, 1224u, std::string("-V 2")}));
  EXPECT_EQ(ParseLameTag(lame("LAME3.100", 1, 128))->Settings(), "-b 128");
  EXPECT_EQ(ParseLameTag(lame("LAME3.90 ", 2, 160))->Settings(), "--abr 160");
  EXPECT_EQ(ParseLameTag(lame("LAME3.90 ", 3, 1001))->Settings(), "--preset standard");
  EXPECT_EQ(ParseLameTag(lame("LAME3.90 ", 3, 1001))->encoder, "LAME3.90");
  EXPECT_EQ(ParseLameTag(lame("Lavc60.31", 0, 0))->Settings(), "");
  EXPECT_FALSE(ParseLameTag(lame("XYZW1.000", 4, 480)));  // another encoder's bytes
  // Found behind the Xing fields the flags announce.
  const std::string frame = FileBuilder()
                                .Bytes({0xFF, 0xFB, 0x90, 0x00})
                                .Zeros(32)
                                .Text("Xing")
                                .Be32(0x03)
                                .Be32(10)
                                .Be32(5000)
                                .Text(lame("LAME3.100", 4, 480))
                                .Get();
  const auto found = FindFrameCountHeader(frame, *DecodeFrameHeader(frame));
  ASSERT_TRUE(found && found->lame);
  EXPECT_EQ((std::tuple{found->frames, found->bytes, found->lame->delay}),
            (std::tuple{10u, std::optional<std::uint32_t>{5000}, 576u}));
}

TEST(MpegFrame, VbriCountAtFourteen) {
  FileBuilder frame;
  frame.Bytes({0xFF, 0xFB, 0x90, 0x00}).Zeros(32).Text("VBRI").Zeros(6).Be32(9999).Be32(4321).Zeros(100);
  const auto found = FindFrameCountHeader(frame.Get(), *DecodeFrameHeader(frame.Get()));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->kind, FrameCountKind::Vbri);
  EXPECT_EQ(found->frames, 4321u);
  EXPECT_EQ(found->bytes, 9999u);
}

}  // namespace
}  // namespace vtinspect
