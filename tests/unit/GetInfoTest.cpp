// GetInfo over files built byte by byte: the container probe, the order in
// which fields are written, and what a failure leaves in the record.
#include <gtest/gtest.h>

#include <cstring>

#include "ByteBuilder.h"
#include "GetInfo.h"
#include "MemoryFileSystem.h"

namespace vomtrail {
namespace {

using testing::ByteBuilder;
using testing::Bytes;
using testing::FilledRecord;
using testing::Id3v1Block;
using testing::ItemText;
using testing::MemoryFileSystem;

constexpr std::uint8_t kFill = 0xAA;

struct Outcome {
  TagInfo info;
  std::uint32_t failure = 0;
};

Outcome Read(const Bytes& file, std::uint8_t fill = kFill) {
  MemoryFileSystem fs;
  fs.files["f"] = file;
  Outcome out{FilledRecord(fill)};
  try {
    GetFileInfo(fs, "f", out.info);
  } catch (const IoError& e) {
    out.failure = e.Code();
  }
  EXPECT_EQ(fs.openHandles, 0) << "the file is closed on every way out";
  return out;
}

// A bare MPEG-1 Layer III stream, 128 kbit/s, 44.1 kHz, joint stereo.
Bytes BareStream(std::size_t size) { return ByteBuilder().Raw({0xFF, 0xFB, 0x90, 0x64}).PadTo(size); }

// Offsets of the record's bytes that a read may change, by field.
bool IsGap(std::size_t offset) {
  return offset == 18 || offset == 19 || (offset >= 5917 && offset <= 5919) || offset == 5926 ||
         offset == 5927 || offset > 5932;
}

TEST(GetInfo, BareStreamHeaderFieldsAndConstantRateLength) {
  const Outcome r = Read(BareStream(4000));
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.MpegFamily, 1);
  EXPECT_EQ(r.info.MpegVersion, 1);
  EXPECT_EQ(r.info.Layer, 3);
  EXPECT_EQ(r.info.Bitrate, 128000);
  EXPECT_EQ(r.info.SampleRate, 44100);
  EXPECT_EQ(r.info.ChannelMode, 6);
  EXPECT_EQ(r.info.Original, 1);
  EXPECT_EQ(r.info.FileKind, 0);
  EXPECT_EQ(r.info.FileSize, 4000);
  EXPECT_EQ(r.info.Vbr, 0);
  EXPECT_EQ(r.info.HasTag, 0);
  EXPECT_EQ(r.info.FrameCount, 4000 / 417);
  EXPECT_EQ(r.info.Duration, 4000 / 16000);
  // No tag: texts, Track and TagKind keep the host's bytes.
  EXPECT_EQ(r.info.Items[VT_ITEM_TITLE].Length, kFill);
  EXPECT_EQ(r.info.TagKind, kFill);
  EXPECT_EQ(r.info.Track, static_cast<std::int32_t>(0xAAAAAAAA));
}

TEST(GetInfo, NeverTouchesTheGapsOrBytesPastTheRecord) {
  for (const Bytes& file :
       {BareStream(4000),
        ByteBuilder().Append(BareStream(600)).Append(Id3v1Block("t", "a", "b", "1999", "c", 3, 7)).Build()}) {
    for (std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
      const Outcome r = Read(file, fill);
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r.info);
      for (std::size_t i = 0; i < sizeof(TagInfo); ++i)
        if (IsGap(i)) {
          EXPECT_EQ(bytes[i], fill) << "offset " << i;
        }
    }
  }
}

TEST(GetInfo, ByteZeroOfABareStreamIsNotExamined) {
  Bytes file = BareStream(2000);
  file[0] = 0x12;
  const Outcome r = Read(file);
  EXPECT_EQ(r.info.Bitrate, 128000);
}

TEST(GetInfo, Id3v2TagIsSkippedBySizeThenScannedToSync) {
  // Size bytes 00 00 02 01: a tag of 257 + 10 bytes; zero padding follows.
  Bytes file = ByteBuilder()
                   .Text("ID3")
                   .Raw({4, 0, 0, 0, 0, 2, 1})
                   .PadTo(267)
                   .Repeat(0, 100)
                   .Raw({0xFF, 0xF3, 0x80, 0xC0})
                   .PadTo(3000);
  // An 0xFF inside the tag body must not be taken for the sync byte.
  file[200] = 0xFF;
  const Outcome r = Read(file);
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.TagKind, 2);
  EXPECT_EQ(r.info.MpegVersion, 2);
  EXPECT_EQ(r.info.Bitrate, 64000);
  EXPECT_EQ(r.info.ChannelMode, 12);
  EXPECT_EQ(r.info.FileKind, 0);
}

TEST(GetInfo, Id3v2KeepsTagKind2WhenAnId3v1BlockFollows) {
  const Bytes file = ByteBuilder()
                         .Text("ID3")
                         .Raw({3, 0, 0, 0, 0, 0, 0})
                         .Raw({0xFF, 0xFB, 0x90, 0x64})
                         .PadTo(2000)
                         .Append(Id3v1Block("Song", "", "", "", "", 7, 1));
  const Outcome r = Read(file);
  EXPECT_EQ(r.info.TagKind, 2);
  EXPECT_EQ(r.info.Track, 7);
  EXPECT_EQ(ItemText(r.info, VT_ITEM_TITLE), "Song");
  EXPECT_EQ(r.info.FrameCount, (2128 - 132) / 417);
}

TEST(GetInfo, Rmp3TakesTheDataSizeAtOffset16AndTheFrameAt20) {
  const Bytes file = ByteBuilder()
                         .Text("RIFF")
                         .Le32(0)
                         .Text("RMP3")
                         .Text("data")
                         .Le32(4170)
                         .Raw({0xFF, 0xFB, 0x90, 0x64})
                         .PadTo(20 + 4170 + 300)
                         .Build();
  const Outcome r = Read(file);
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.FileKind, 1);
  EXPECT_EQ(r.info.Bitrate, 128000);
  // No "IID3" and no "TAG": the trailer step gives AudioBytes = FileSize.
  EXPECT_EQ(r.info.FrameCount, (20 + 4170 + 300) / 417);
  EXPECT_EQ(r.info.HasTag, 0);
}

TEST(GetInfo, WaveDataSearchSkipsTheByteThatFailedToBeA) {
  // "dda" before the chunk: the second 'd' is taken as the failed 'a', so the
  // search goes past; it stops at "data", skips "ta" and reads the size.
  const Bytes file = ByteBuilder()
                         .Text("RIFF")
                         .Le32(0)
                         .Text("WAVE")
                         .Text("ddaXfmt ")
                         .Le32(0)
                         .Text("data")
                         .Le32(1000)
                         .Raw({0xFF, 0xFB, 0x90, 0x64})
                         .PadTo(1100)
                         .Build();
  const Outcome r = Read(file);
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.FileKind, 2);
  EXPECT_EQ(r.info.Bitrate, 128000);
}

TEST(GetInfo, WaveDataSearchSkipsTheFailedByteAtTheReadWindowsEdgesToo) {
  // A decoy "dda" whose second 'd' would, if taken as a new start, lead to an
  // MPEG-2 frame; the real chunk leads to an MPEG-1 one. The decoy is put
  // across the reader's window edges (4096, then 12288).
  for (std::size_t edge : {std::size_t{4096}, std::size_t{12288}}) {
    for (std::size_t before = 0; before <= 3; ++before) {
      const Bytes file = ByteBuilder()
                             .Text("RIFF")
                             .Le32(0)
                             .Text("WAVE")
                             .PadTo(edge - before, 'x')
                             .Text("dda")
                             .Raw({'t', 'a', 9, 0, 0, 0, 0xFF, 0xF3, 0x90, 0x64})
                             .Text("xxdata")
                             .Le32(1000)
                             .Raw({0xFF, 0xFB, 0x90, 0x64})
                             .PadTo(edge + 2000);
      const Outcome r = Read(file);
      ASSERT_EQ(r.failure, 0u) << edge << " " << before;
      EXPECT_EQ(r.info.MpegVersion, 1) << edge << " " << before;
    }
  }
}

TEST(GetInfo, OtherRiffFormsStayKind0AndScanFromOffset12) {
  const Bytes file =
      ByteBuilder().Text("RIFF").Le32(0).Text("AVI ").Raw({0xFF, 0xFB, 0x90, 0x64}).PadTo(2000);
  const Outcome r = Read(file);
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.FileKind, 0);
  EXPECT_EQ(r.info.Bitrate, 128000);
  EXPECT_EQ(r.info.FrameCount, 2000 / 417);
}

TEST(GetInfo, ZeroFrameLengthClearsTheStreamButKeepsSizeAndTags) {
  // Free format, padding clear: no frame length.
  const Bytes file = ByteBuilder()
                         .Text("ID3")
                         .Raw({3, 0, 0, 0, 0, 0, 0})
                         .Raw({0xFF, 0xFB, 0x00, 0x64})
                         .PadTo(1000)
                         .Append(Id3v1Block("T", "", "", "", "", -1, 0));
  const Outcome r = Read(file);
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.MpegFamily, 0);
  EXPECT_EQ(r.info.ChannelMode, 0);
  EXPECT_EQ(r.info.FrameCount, 0);
  EXPECT_EQ(r.info.Duration, 0);
  EXPECT_EQ(r.info.FileKind, 0);
  EXPECT_EQ(r.info.FileSize, 1128);
  EXPECT_EQ(r.info.TagKind, 2);
  EXPECT_EQ(r.info.HasTag, 1);
  EXPECT_EQ(ItemText(r.info, VT_ITEM_TITLE), "T");
}

TEST(GetInfo, XingHeaderGivesFrameCountAndDuration) {
  // MPEG-1 stereo: the Xing header stands 32 bytes behind the frame header.
  const Bytes file =
      ByteBuilder().Raw({0xFF, 0xFB, 0x90, 0x64}).Repeat(0, 32).Text("Xing").Be32(0).Be32(1000).PadTo(5000);
  const Outcome r = Read(file);
  EXPECT_EQ(r.info.Vbr, 1);
  EXPECT_EQ(r.info.FrameCount, 1000);
  EXPECT_EQ(r.info.Duration, 26);
}

TEST(GetInfo, XingIsLookedForBehindTheSideInformationOfMonoAndMpeg2) {
  const Bytes mono =
      ByteBuilder().Raw({0xFF, 0xFB, 0x90, 0xC4}).Repeat(0, 17).Text("Xing").Be32(0).Be32(383).PadTo(5000);
  EXPECT_EQ(Read(mono).info.FrameCount, 383);
  EXPECT_EQ(Read(mono).info.Duration, 10);
  const Bytes mpeg2mono =
      ByteBuilder().Raw({0xFF, 0xF3, 0x80, 0xC4}).Repeat(0, 9).Text("Xing").Be32(0).Be32(5).PadTo(5000);
  EXPECT_EQ(Read(mpeg2mono).info.FrameCount, 5);
  // Behind a CRC the header is two bytes late and is not recognised.
  const Bytes crc =
      ByteBuilder().Raw({0xFF, 0xFA, 0x90, 0x64}).Repeat(0, 34).Text("Xing").Be32(0).Be32(1000).PadTo(5000);
  EXPECT_EQ(Read(crc).info.Vbr, 0);
  EXPECT_EQ(Read(crc).info.FrameCount, 5000 / 417);
}

TEST(GetInfo, AnImpossibleXingCountFallsBackToTheConstantRateLength) {
  const Bytes file = ByteBuilder()
                         .Raw({0xFF, 0xFB, 0x90, 0x64})
                         .Repeat(0, 32)
                         .Text("Xing")
                         .Be32(0)
                         .Be32(0x80000000u)
                         .PadTo(5000);
  const Outcome r = Read(file);
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.Vbr, 0);
  EXPECT_EQ(r.info.FrameCount, 5000 / 417);
  EXPECT_GE(r.info.Duration, 0);
}

TEST(GetInfo, AMissingFileFailsBeforeAnyFieldIsWritten) {
  MemoryFileSystem fs;
  TagInfo info = FilledRecord(kFill);
  const TagInfo before = info;
  try {
    GetFileInfo(fs, "nothing-here", info);
    FAIL() << "no failure";
  } catch (const IoError& e) {
    EXPECT_EQ(e.Code(), 2u);
  }
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
}

TEST(GetInfo, AThreeByteFileFailsWithOnlyVbrWritten) {
  const Outcome r = Read(ByteBuilder().Raw({0xFF, 0xFB, 0x90}));
  EXPECT_EQ(r.failure, 38u);
  TagInfo expected = FilledRecord(kFill);
  expected.Vbr = 0;
  EXPECT_EQ(std::memcmp(&r.info, &expected, sizeof expected), 0);
}

TEST(GetInfo, EveryTruncationFailsCleanlyOrReadsAsItsBytesSay) {
  // A tagged ID3v2 + Xing file cut at every length: each read either fails
  // with end of file or negative seek, or succeeds; none may crash, and a
  // failure never leaves the file open (checked in Read).
  const Bytes whole = ByteBuilder()
                          .Text("ID3")
                          .Raw({3, 0, 0, 0, 0, 0, 20})
                          .PadTo(30)
                          .Raw({0xFF, 0xFB, 0x90, 0x64})
                          .Repeat(0, 32)
                          .Text("Xing")
                          .Be32(0)
                          .Be32(50)
                          .PadTo(300)
                          .Append(Id3v1Block("Title", "Artist", "", "", "", 1, 2));
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    const Outcome r = Read(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
    if (n < 4) {
      EXPECT_EQ(r.failure, 38u) << n;
    }
    if (r.failure != 0) {
      EXPECT_TRUE(r.failure == 38u || r.failure == 131u) << n << ": " << r.failure;
    } else {
      EXPECT_EQ(r.info.FileSize, static_cast<std::int32_t>(n));
    }
  }
}

TEST(GetInfo, RiffTrailerBeyondTheEndFailsWithEndOfFile) {
  const Bytes file = ByteBuilder()
                         .Text("RIFF")
                         .Le32(0)
                         .Text("RMP3")
                         .Text("data")
                         .Le32(5000)
                         .Raw({0xFF, 0xFB, 0x90, 0x64})
                         .PadTo(400)
                         .Build();
  const Outcome r = Read(file);
  EXPECT_EQ(r.failure, 38u);
  EXPECT_EQ(r.info.FileKind, 1);
}

TEST(GetInfo, NegativeRiffDataSizeFailsAsANegativeSeek) {
  const Bytes file = ByteBuilder()
                         .Text("RIFF")
                         .Le32(0)
                         .Text("RMP3")
                         .Text("data")
                         .Le32(0xFFFFFF00u)
                         .Raw({0xFF, 0xFB, 0x90, 0x64})
                         .PadTo(400)
                         .Build();
  EXPECT_EQ(Read(file).failure, 131u);
}

TEST(GetInfo, ShortFileReachingTheTrailerStepFails) { EXPECT_EQ(Read(BareStream(100)).failure, 131u); }

TEST(GetInfo, FilesOf2GiBOrMoreFailAtTheSizeStep) {
  class HugeFile final : public File {
   public:
    std::int64_t Size() override { return std::int64_t{1} << 31; }
    std::size_t ReadAt(std::int64_t, std::span<std::byte> out) override {
      std::memset(out.data(), 0xFF, out.size());
      return out.size();
    }
    void WriteAt(std::int64_t, std::span<const std::byte>) override {}
    void Reserve(std::int64_t, std::int64_t) override {}
    void Truncate(std::int64_t) override {}
    void Flush() override {}
    void ExpectUnchanged() override {}
    std::unique_ptr<StandIn> NewStandIn(InPlaceReason&) override { return nullptr; }
    void Close() override {}
  };
  class HugeFs final : public FileSystem {
   public:
    std::unique_ptr<File> Open(const char*, OpenMode) override { return std::make_unique<HugeFile>(); }
  } fs;
  TagInfo info = FilledRecord(kFill);
  try {
    GetFileInfo(fs, "big", info);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.Code(), 223u);
  }
  EXPECT_EQ(info.Vbr, 0);
  EXPECT_EQ(info.FileKind, 0);
  EXPECT_EQ(info.FileSize, static_cast<std::int32_t>(0xAAAAAAAA));
}

TEST(GetInfo, ScansCostAFewReadsNotOnePerByte) {
  MemoryFileSystem fs;
  fs.files["f"] = ByteBuilder()
                      .Text("ID3")
                      .Raw({3, 0, 0, 0, 0, 0, 0})
                      .Repeat(0, 1 << 20)
                      .Raw({0xFF, 0xFB, 0x90, 0x64})
                      .PadTo((1 << 20) + 5000);
  TagInfo info{};
  GetFileInfo(fs, "f", info);
  EXPECT_EQ(info.Bitrate, 128000);
  // 4 KiB, then windows doubling to 64 KiB: about twenty reads a megabyte.
  EXPECT_LE(fs.reads, 24);
}

}  // namespace
}  // namespace vomtrail
