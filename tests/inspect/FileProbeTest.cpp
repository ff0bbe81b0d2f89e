// What a file is, from its bytes: containers, the first frame, what a file
// that is not MPEG audio looks like.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "FileBuilder.h"
#include "FileProbe.h"

namespace vtinspect {
namespace {

using testing::FileBuilder;

const std::string kFrame = FileBuilder().Bytes({0xFF, 0xFB, 0x90, 0x00}).Zeros(413).Get();

FileProbe Probe(const std::string& file) {
  MemoryBytes bytes(file);
  return ProbeBytes(bytes);
}

TEST(FileProbe, BareStream) {
  const FileProbe probe = Probe(kFrame);
  ASSERT_TRUE(probe.frame);
  EXPECT_EQ(probe.frameOffset, 0u);
  EXPECT_EQ(probe.WhichContainer(), Container::Mpeg);
  EXPECT_EQ(probe.size, kFrame.size());
  EXPECT_TRUE(probe.looksLike.empty());
}

TEST(FileProbe, FirstFrameBehindAnId3v2TagAndItsPadding) {
  // Size 0x0101 in synchsafe bytes is 129; the frame follows 7 zero bytes
  // that the size does not count.
  const std::string file =
      FileBuilder().Text("ID3").Bytes({3, 0, 0, 0, 0, 1, 1}).Zeros(129 + 7).Text(kFrame).Get();
  const FileProbe probe = Probe(file);
  ASSERT_TRUE(probe.id3v2);
  EXPECT_EQ((std::tuple{probe.id3v2->major, probe.id3v2->revision, probe.id3v2->size}),
            (std::tuple{3, 0, 139ull}));
  EXPECT_EQ(probe.frameOffset, 146u);
  EXPECT_EQ(probe.WhichContainer(), Container::Mpeg);
  // Version 2.4 with the footer flag: ten more bytes.
  const std::string footer =
      FileBuilder().Text("ID3").Bytes({4, 0, 0x10, 0, 0, 0, 20}).Zeros(30).Text(kFrame).Get();
  EXPECT_EQ(Probe(footer).id3v2->size, 40u);
  EXPECT_EQ(Probe(footer).frameOffset, 40u);
}

TEST(FileProbe, RiffAudioIsTakenAtItsDataChunk) {
  const std::string fmt = FileBuilder().Le16(kFormatPcm).Le16(1).Le32(8000).Le32(16000).Le32(0).Get();
  const std::string pcm =
      FileBuilder().Text("RIFF").Le32(36 + 8).Text("WAVE").Chunk("fmt ", fmt).Chunk("data", "12345678").Get();
  const FileProbe wave = Probe(pcm);
  EXPECT_EQ(wave.WhichContainer(), Container::Wave);
  EXPECT_TRUE(wave.IsNonMpegWave());
  EXPECT_FALSE(wave.frame);
  EXPECT_TRUE(wave.Recognised());

  const std::string rmp3 = FileBuilder().Text("RIFF").Le32(0).Text("RMP3").Chunk("data", kFrame).Get();
  const FileProbe probe = Probe(rmp3);
  EXPECT_EQ(probe.WhichContainer(), Container::Rmp3);
  EXPECT_EQ(probe.frameOffset, 20u);
}

// Players find the first frame past bytes that are not audio: a header
// there counts when three more of its stream follow at the frame lengths.
TEST(FileProbe, FirstFramePastJunkAsPlayersFindIt) {
  std::string junk(800, 'j');
  junk.replace(100, 4, std::string("\xFF\xFB\x90\x00", 4));  // a header no frame follows
  std::string frames;
  for (int i = 0; i < 4; ++i) frames += kFrame;
  const FileProbe probe = Probe(junk + frames);
  ASSERT_TRUE(probe.frame);
  EXPECT_EQ((std::tuple{probe.frameOffset, probe.skipped}), (std::tuple{800u, 800u}));
  // Frames that end the file need no followers; a lone header in junk is no frame.
  EXPECT_EQ(Probe(junk + kFrame).frameOffset, 800u);
  EXPECT_FALSE(Probe(junk).frame);
  // A lone header where the first frame belongs gives way to a confirmed one.
  EXPECT_EQ(Probe(junk.substr(100) + frames).frameOffset, 700u);
  // Behind a stack of two ID3v2 tags.
  const std::string tag = FileBuilder().Text("ID3").Bytes({3, 0, 0, 0, 0, 0, 10}).Zeros(10).Get();
  const FileProbe stacked = Probe(tag + tag + frames);
  EXPECT_EQ((std::tuple{stacked.tagsEnd, stacked.frameOffset, stacked.skipped}), (std::tuple{40u, 40u, 0u}));
}

TEST(FileProbe, SaysWhatOtherFilesLookLike) {
  EXPECT_EQ(Probe("\x89PNG\r\n\x1a\n....").looksLike, "a PNG image");
  EXPECT_EQ(Probe("fLaC....").looksLike, "FLAC audio");
  EXPECT_EQ(Probe(std::string("\0\0\0\x20"
                              "ftypM4A ....",
                              16))
                .looksLike,
            "an MP4/M4A file");
  const FileProbe avi = Probe(FileBuilder().Text("RIFF").Le32(4).Text("AVI ").Get());
  EXPECT_EQ(avi.looksLike, "a RIFF file of form AVI ");
  EXPECT_EQ(avi.WhichContainer(), Container::Unknown);
  EXPECT_FALSE(avi.Recognised());
  EXPECT_EQ(Probe(FileBuilder().Text("ID3").Bytes({3, 0, 0, 0, 0, 0, 4}).Zeros(20).Get()).looksLike,
            "an ID3v2 tag with no MPEG frame behind it");
  EXPECT_EQ(Probe("just words, no marks").looksLike, "");
}

TEST(FileProbe, TooShortAndUnreadable) {
  const FileProbe empty = Probe("");
  EXPECT_TRUE(empty.readable);
  EXPECT_TRUE(empty.TooShort());
  EXPECT_TRUE(Probe("\xFF\xFB\x90").TooShort());
  // A folder is no regular file: nothing of it is read.
  EXPECT_FALSE(ProbeFile(std::filesystem::temp_directory_path()).readable);
}

TEST(FileProbe, MemoryReadsStopAtTheEnd) {
  MemoryBytes bytes("abcdef");
  EXPECT_EQ(bytes.Read(4, 10), "ef");
  EXPECT_EQ(bytes.Read(6, 1), "");
  EXPECT_EQ(bytes.Read(100, 1), "");
}

}  // namespace
}  // namespace vtinspect
