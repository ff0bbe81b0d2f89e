// Reading tag texts: the INFO scan over a RIFF trailer, the "IID3" body and
// the ID3v1 block at the end of a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "ByteBuilder.h"
#include "GetInfo.h"
#include "IdTable.h"
#include "MemoryFileSystem.h"
#include "TagReader.h"
#include "Texts.h"

namespace vomtrail {
namespace {

using testing::ByteBuilder;
using testing::Bytes;
using testing::FilledRecord;
using testing::Id3v1Block;
using testing::ItemText;
using testing::MemoryFileSystem;
using testing::SetItem;

// A 1001-byte trailer holding the given bytes from position 0.
std::vector<std::uint8_t> Trailer(Bytes bytes) {
  bytes.resize(kRiffTrailerSize, 0);
  return bytes;
}

TEST(ScanRiffInfo, TakesSizePlusOneBytesOfEachChunk) {
  TagInfo info = FilledRecord(0xAA);
  // Size 6: "Hello" and its zero. Size 5: "World" and the 'I' of the next id.
  const auto t = Trailer(ByteBuilder()
                             .Text("INAM")
                             .Le32(6)
                             .Text("Hello")
                             .Raw({0})
                             .Text("IART")
                             .Le32(5)
                             .Text("World")
                             .Text("IPRD")
                             .Le32(2)
                             .Text("ab"));
  EXPECT_FALSE(ScanRiffInfo(t, info));
  EXPECT_EQ(ItemText(info, 0), "Hello");
  EXPECT_EQ(ItemText(info, 1), "WorldI");
  EXPECT_EQ(ItemText(info, 2), "ab");
  EXPECT_EQ(info.Items[3].Length, 0xAA) << "ids without a hit keep the host's text";
  for (int item = VT_ITEM_TITLE; item <= VT_ITEM_GENRE; ++item) EXPECT_EQ(info.Items[item].Length, 0);
}

TEST(ScanRiffInfo, OnlyTheLowSizeByteCounts) {
  TagInfo info{};
  const std::string text(255, 'x');
  // Size 256 reads as 0: the text's first byte alone. Size 300 reads as 44.
  ScanRiffInfo(Trailer(ByteBuilder().Text("INAM").Le32(256).Text(text)), info);
  EXPECT_EQ(ItemText(info, 0), "x");
  ScanRiffInfo(Trailer(ByteBuilder().Text("INAM").Le32(300).Text(text)), info);
  EXPECT_EQ(info.Items[0].Length, 45);
  // A size byte of 255 and a text without zero: 256 bytes, stored as 255.
  ScanRiffInfo(Trailer(ByteBuilder().Text("INAM").Le32(255).Text(text).Text("y")), info);
  EXPECT_EQ(info.Items[0].Length, 255);
}

TEST(ScanRiffInfo, ABrokenMatchDoesNotRestartOnTheBreakingByte) {
  TagInfo info{};
  SetItem(info, 0, "old");
  ScanRiffInfo(Trailer(ByteBuilder().Text("IINAM").Le32(4).Text("abc")), info);
  EXPECT_EQ(ItemText(info, 0), "old");
}

TEST(ScanRiffInfo, TheLastHitWinsEvenInsideAnotherText) {
  TagInfo info{};
  // The comment's text holds "INAM", a size and a text of its own: the scan
  // is not aligned to chunks, and this later hit replaces the real chunk's.
  const auto t = Trailer(ByteBuilder()
                             .Text("INAM")
                             .Le32(4)
                             .Text("one")
                             .Raw({0})
                             .Text("ICMT")
                             .Le32(16)
                             .Text("xINAM")
                             .Le32(4)
                             .Text("two")
                             .Raw({0, 0, 0, 0}));
  ScanRiffInfo(t, info);
  EXPECT_EQ(ItemText(info, 0), "two");
  EXPECT_EQ(ItemText(info, 3), "xINAM\x04");
}

TEST(ScanRiffInfo, HitsAtTheEndOfTheTrailerReadMissingBytesAsZero) {
  TagInfo info{};
  SetItem(info, 0, "held before");
  // "INAM" in the last four positions: no size byte, so the size is 0 and
  // the hit stores the empty text over what the item held.
  Bytes bytes(kRiffTrailerSize - 4, 'z');
  bytes.insert(bytes.end(), {'I', 'N', 'A', 'M'});
  ScanRiffInfo(bytes, info);
  EXPECT_EQ(info.Items[0].Length, 0);
}

TEST(ScanRiffInfo, Iid3BodyIsReadUntrimmedWithoutTestingTheMarker) {
  TagInfo info = FilledRecord(0);
  info.TagKind = 2;
  info.Track = 99;
  const Bytes block = Id3v1Block("Title", "Artist", "Album", "2001", "Comment", -1, 17);
  const auto t = Trailer(ByteBuilder().Text("IID3").Le32(128).Append(block));
  EXPECT_TRUE(ScanRiffInfo(t, info));
  EXPECT_EQ(info.HasTag, 1);
  EXPECT_EQ(ItemText(info, VT_ITEM_TITLE), "Title" + std::string(25, ' '));
  EXPECT_EQ(ItemText(info, VT_ITEM_YEAR), "2001");
  EXPECT_EQ(info.TagKind, 0) << "no track byte: ID3v1.0 whatever it held";
  EXPECT_EQ(info.Track, 99);
  EXPECT_EQ(info.Items[VT_ITEM_COMMENT].Length, 30);
  EXPECT_EQ(ItemText(info, VT_ITEM_GENRE), "\x11");
  EXPECT_EQ(ItemText(info, VT_ITEM_IID3).substr(0, 8), "TAGTitle");
}

TEST(ScanRiffInfo, Iid3BodyRunningPastTheTrailerReadsZeros) {
  TagInfo info{};
  // The body starts 62 bytes before the trailer's end: bytes 62 on are missing.
  const Bytes bytes = ByteBuilder()
                          .Repeat(' ', kRiffTrailerSize - 70)
                          .Text("IID3")
                          .Le32(128)
                          .Text("TAG")
                          .Text(std::string(30, 'T'))
                          .Text("Art")
                          .PadTo(kRiffTrailerSize, 'q');
  EXPECT_TRUE(ScanRiffInfo(bytes, info));
  EXPECT_EQ(ItemText(info, VT_ITEM_GENRE), std::string(1, '\0'));
  EXPECT_EQ(info.TagKind, 1);
  EXPECT_EQ(info.Track, 0);
}

TEST(SliceText, StopsAtTheFirstZeroAndCopiesNothingForANegativeCount) {
  const std::uint8_t bytes[] = {'a', 'b', 0, 'c', 'd'};
  EXPECT_EQ(SliceText(bytes, 0, 4).size(), 2u);
  EXPECT_EQ(SliceText(bytes, 3, 1).size(), 2u);
  EXPECT_EQ(SliceText(bytes, 0, -1).size(), 0u);
}

struct TrailerRead {
  TagInfo info;
  std::uint32_t failure = 0;
};

TrailerRead ReadFile(const Bytes& file, std::uint8_t tagKind = 0xAA) {
  MemoryFileSystem fs;
  fs.files["f"] = file;
  TrailerRead r{FilledRecord(0xAA)};
  r.info.TagKind = tagKind;
  try {
    GetFileInfo(fs, "f", r.info);
  } catch (const IoError& e) {
    r.failure = e.Code();
  }
  return r;
}

Bytes Stream() { return ByteBuilder().Raw({0xFF, 0xFB, 0x90, 0x64}).PadTo(4170); }

TEST(Id3v1Trailer, Id3v11BlockIsTrimmedAndCountsAudioAsSizeMinus132) {
  const Bytes file =
      ByteBuilder().Append(Stream()).Append(Id3v1Block("Title", "", "", "", std::string(28, 'c'), 7, 3));
  const TrailerRead r = ReadFile(file);
  EXPECT_EQ(ItemText(r.info, VT_ITEM_TITLE), "Title");
  EXPECT_EQ(r.info.Track, 7);
  EXPECT_EQ(r.info.TagKind, 1);
  EXPECT_EQ(r.info.HasTag, 1);
  EXPECT_EQ(r.info.FrameCount, (4170 + 128 - 132) / 417);
  EXPECT_EQ(ItemText(r.info, VT_ITEM_COMMENT), std::string(28, 'c'));
}

TEST(Id3v1Trailer, Id3v10BlockKeepsTrackAndReadsA30ByteComment) {
  Bytes block = Id3v1Block("", "", "", "", std::string(30, 'c'), -1, 0);
  const TrailerRead r = ReadFile(ByteBuilder().Append(Stream()).Append(block));
  EXPECT_EQ(r.info.TagKind, 0);
  EXPECT_EQ(r.info.Track, static_cast<std::int32_t>(0xAAAAAAAA));
  EXPECT_EQ(ItemText(r.info, VT_ITEM_COMMENT), std::string(30, 'c'));
  EXPECT_EQ(ItemText(r.info, VT_ITEM_TITLE), "");
  // An ID3v2 file keeps TagKind 2.
  EXPECT_EQ(ReadFile(ByteBuilder().Append(Stream()).Append(block), 2).info.TagKind, 2);
}

TEST(Id3v1Trailer, ZeroFilledCommentReadsAsId3v11WithTrack0) {
  const Bytes block = Id3v1Block("", "", "", "", "short", -1, 0, 0);
  const TrailerRead r = ReadFile(ByteBuilder().Append(Stream()).Append(block));
  EXPECT_EQ(r.info.TagKind, 1);
  EXPECT_EQ(r.info.Track, 0);
}

TEST(Id3v1Trailer, TrimmingKeepsLeadingSpacesAndHighBytes) {
  const Bytes block =
      Id3v1Block(" lead\xE9", std::string(30, ' '), "ab\0cd", std::string(30, 'x'), "", -1, 0);
  const TrailerRead r = ReadFile(ByteBuilder().Append(Stream()).Append(block));
  EXPECT_EQ(ItemText(r.info, VT_ITEM_TITLE), " lead\xE9");
  EXPECT_EQ(ItemText(r.info, VT_ITEM_ARTIST), "");
  EXPECT_EQ(ItemText(r.info, VT_ITEM_ALBUM), "ab");
  EXPECT_EQ(ItemText(r.info, VT_ITEM_YEAR), "xxxx");
}

TEST(Id3v1Trailer, AnAlmostMarkerIsNoBlock) {
  for (const char* marker : {"TAg", "TA\0"}) {
    Bytes block = Id3v1Block("Title", "", "", "", "", 1, 0);
    std::copy(marker, marker + 3, block.begin());
    const TrailerRead r = ReadFile(ByteBuilder().Append(Stream()).Append(block));
    EXPECT_EQ(r.info.HasTag, 0);
    EXPECT_EQ(r.info.Items[VT_ITEM_TITLE].Length, 0xAA);
    EXPECT_EQ(r.info.TagKind, 0xAA);
    EXPECT_EQ(r.info.FrameCount, (4170 + 128) / 417);
  }
}

// A RIFF RMP3 file: head, audio, then the given trailer bytes.
Bytes Rmp3(const Bytes& afterAudio, std::uint32_t audio = 4170) {
  return ByteBuilder()
      .Text("RIFF")
      .Le32(0)
      .Text("RMP3")
      .Text("data")
      .Le32(audio)
      .Raw({0xFF, 0xFB, 0x90, 0x64})
      .PadTo(20 + audio)
      .Raw({0})
      .Append(afterAudio);
}

TEST(RiffTags, Iid3ChunkTakesPrecedenceOverTheTrailerAndKeepsAudioBytes) {
  const Bytes list = ByteBuilder()
                         .Text("LIST")
                         .Le32(0)
                         .Text("INFO")
                         .Text("INAM")
                         .Le32(6)
                         .Text("Name1")
                         .Raw({0})
                         .Text("IID3")
                         .Le32(128)
                         .Append(Id3v1Block("Chunk", "", "", "", "", 4, 9));
  const TrailerRead r = ReadFile(Rmp3(list));
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(ItemText(r.info, 0), "Name1");
  EXPECT_EQ(ItemText(r.info, VT_ITEM_TITLE), "Chunk" + std::string(25, ' '));
  EXPECT_EQ(r.info.Track, 4);
  EXPECT_EQ(r.info.FrameCount, 4170 / 417) << "AudioBytes from the data size";
}

TEST(RiffTags, WithoutIid3TheTrailerStepRunsAndEmptiesTheId3v1Items) {
  const Bytes list =
      ByteBuilder().Text("LIST").Le32(0).Text("INFO").Text("IART").Le32(4).Text("Art").Raw({0});
  const TrailerRead r = ReadFile(Rmp3(list));
  EXPECT_EQ(ItemText(r.info, 1), "Art");
  EXPECT_EQ(r.info.Items[VT_ITEM_TITLE].Length, 0);
  EXPECT_EQ(r.info.HasTag, 0);
  EXPECT_EQ(r.info.FrameCount, static_cast<std::int32_t>(Rmp3(list).size()) / 417);
}

TEST(RiffTags, AnIid3ChunkOutOfReachIsMissedAndTheTrailingBlockRead) {
  const Bytes tail =
      ByteBuilder().Repeat(' ', 1200).Text("IID3").Le32(128).Append(Id3v1Block("Far ", "", "", "", "", 2, 1));
  const TrailerRead r = ReadFile(Rmp3(tail));
  EXPECT_EQ(ItemText(r.info, VT_ITEM_TITLE), "Far");
  EXPECT_EQ(r.info.FrameCount, (static_cast<std::int32_t>(Rmp3(tail).size()) - 132) / 417);
}

TEST(RiffTags, AnEmptyTrailerScansNothingThenReadsTheEnd) {
  // The data chunk runs to 21 bytes before the end... P equals the file size.
  const Bytes file = ByteBuilder()
                         .Text("RIFF")
                         .Le32(0)
                         .Text("RMP3")
                         .Text("data")
                         .Le32(4170)
                         .Raw({0xFF, 0xFB, 0x90, 0x64})
                         .PadTo(4191);
  const TrailerRead r = ReadFile(file);
  ASSERT_EQ(r.failure, 0u);
  EXPECT_EQ(r.info.Items[VT_ITEM_TITLE].Length, 0);
  EXPECT_EQ(r.info.HasTag, 0);
}

// The scan as it was first written: each id on its own, one byte at a time,
// a byte that breaks a partial match not tried as a new start. The scan of
// the module finds the same hits in one sweep; both are run on trailers
// made of the ids' letters, where partial matches, 'I's inside matches and
// matches cut by the trailer's end are frequent.
bool ReferenceScan(std::span<const std::uint8_t> trailer, TagInfo& info) {
  for (int item = VT_ITEM_TITLE; item <= VT_ITEM_GENRE; ++item) info.Items[item].Length = 0;
  std::array<std::uint8_t, 256> chunkText{};
  bool foundIid3 = false;
  const std::size_t last = trailer.size();
  for (std::size_t k = 0; k < kInfoIds.size(); ++k) {
    std::size_t matched = 0;
    for (std::size_t j = 0; j < last; ++j) {
      matched = trailer[j] == kInfoIds[k][matched] ? matched + 1 : 0;
      if (matched != 4) continue;
      matched = 0;
      const std::size_t size = j + 1 < last ? trailer[j + 1] : 0;
      for (std::size_t i = 0; i <= size; ++i) chunkText[i] = j + 5 + i < last ? trailer[j + 5 + i] : 0;
      const auto end = chunkText.begin() + static_cast<std::ptrdiff_t>(size + 1);
      const auto zero = std::find(chunkText.begin(), end, 0);
      StoreText(info.Items[k], std::span<const std::uint8_t>(
                                   chunkText.data(), static_cast<std::size_t>(zero - chunkText.begin())));
      if (k == VT_ITEM_IID3) {
        foundIid3 = true;
        ReadIid3Body(chunkText, info);
      }
    }
  }
  return foundIid3;
}

TEST(ScanRiffInfo, FindsTheHitsOfTheScanOfOld) {
  const std::string letters("IIIINAMRTDCPS3GEO\x00\x05\x80", 20);
  std::uint32_t state = 12345;
  const auto random = [&] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> trailer(1 + random() % 300);
    for (std::uint8_t& byte : trailer) byte = static_cast<std::uint8_t>(letters[random() % letters.size()]);
    // Whole ids now and then, so that hits, sizes and texts are met too.
    for (int put = 0; put < 6; ++put) {
      const auto& id = kInfoIds[random() % kInfoIds.size()];
      const std::size_t at = random() % trailer.size();
      for (std::size_t i = 0; i < 4 && at + i < trailer.size(); ++i) trailer[at + i] = id[i];
    }
    TagInfo expected = FilledRecord(0x55), found = FilledRecord(0x55);
    ASSERT_EQ(ScanRiffInfo(trailer, found), ReferenceScan(trailer, expected)) << round;
    ASSERT_EQ(std::memcmp(&found, &expected, sizeof found), 0) << "round " << round;
  }
}

}  // namespace
}  // namespace vomtrail
