// The ID3v1 block and the RIFF image, byte for byte.
#include <gtest/gtest.h>

#include <cstring>

#include "ByteBuilder.h"
#include "ByteReader.h"
#include "Id3v1Writer.h"
#include "ImageBytes.h"
#include "MemoryFileSystem.h"
#include "RiffWriter.h"

namespace vomtrail {
namespace {

using testing::ByteBuilder;
using testing::Bytes;
using testing::FilledRecord;
using testing::MemoryFileSystem;
using testing::SetItem;

Bytes Block(const TagInfo& info) {
  Image image;
  WriteId3v1Block(image, info);
  return testing::ImageBytes(image);
}

TagInfo EmptyTexts() {
  TagInfo info = FilledRecord(0x55);
  for (auto& item : info.Items) item.Length = 0;
  info.TagKind = 0;
  return info;
}

TEST(Id3v1Block, EmptyTextsGiveSpacesAndTheGenreByte) {
  TagInfo info = EmptyTexts();
  info.Items[VT_ITEM_GENRE].Text[0] = 0xFF;  // length 0: the byte is taken anyway
  const Bytes expected = ByteBuilder().Text("TAG").Repeat(' ', 124).Raw({0xFF});
  EXPECT_EQ(Block(info), expected);
}

TEST(Id3v1Block, TextsAreCutAtTheirFieldAndCopiedByteForByte) {
  TagInfo info = EmptyTexts();
  SetItem(info, VT_ITEM_TITLE, std::string(40, 'T'));
  SetItem(info, VT_ITEM_ARTIST, std::string("a\0b", 3));
  SetItem(info, VT_ITEM_YEAR, "19");
  SetItem(info, VT_ITEM_ALBUM, " x ");
  const Bytes block = Block(info);
  ASSERT_EQ(block.size(), 128u);
  EXPECT_EQ(Bytes(block.begin() + 3, block.begin() + 33), Bytes(30, 'T'));
  EXPECT_EQ(Bytes(block.begin() + 33, block.begin() + 37), (Bytes{'a', 0, 'b', ' '}));
  EXPECT_EQ(Bytes(block.begin() + 63, block.begin() + 66), (Bytes{' ', 'x', ' '}));
  EXPECT_EQ(Bytes(block.begin() + 93, block.begin() + 97), (Bytes{'1', '9', ' ', ' '}));
  SetItem(info, VT_ITEM_YEAR, "12345");
  EXPECT_EQ(Block(info)[96], '4');
  EXPECT_EQ(Block(info)[97], ' ');
}

TEST(Id3v1Block, TrackFormWritesA28ByteCommentMarkerAndLowTrackByte) {
  TagInfo info = EmptyTexts();
  SetItem(info, VT_ITEM_COMMENT, std::string(30, 'c'));
  info.TagKind = 1;
  info.Track = 7;
  Bytes block = Block(info);
  EXPECT_EQ(block[124], 'c');
  EXPECT_EQ(block[125], 0);
  EXPECT_EQ(block[126], 7);
  info.Track = 300;
  EXPECT_EQ(Block(info)[126], 0x2C);
  info.Track = -1;
  EXPECT_EQ(Block(info)[126], 0xFF);
  info.TagKind = 2;  // an ID3v2 file: no track byte
  block = Block(info);
  EXPECT_EQ(block[125], 'c');
  EXPECT_EQ(block[126], 'c');
}

TEST(InfoText, TrimsBothEndsAndStopsAtAZero) {
  Str255 item{};
  const auto text = [&](std::string_view s) {
    item.Length = static_cast<std::uint8_t>(s.size());
    std::memcpy(item.Text, s.data(), s.size());
    const auto t = InfoText(item);
    return std::string(t.begin(), t.end());
  };
  EXPECT_EQ(text(" Abc  "), "Abc");
  EXPECT_EQ(text(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(text(std::string("\0\0 ab \0 x", 9)), "ab");
  EXPECT_EQ(text("\t\n  \x01"), "");
  EXPECT_EQ(text("a\xFF"), "a\xFF");
}

TEST(NulPadCount, MakesTextPlusZerosEven) {
  EXPECT_EQ(NulPadCount(0), 2u);
  EXPECT_EQ(NulPadCount(1), 1u);
  EXPECT_EQ(NulPadCount(254), 2u);
  EXPECT_EQ(NulPadCount(255), 1u);
}

struct Built {
  Bytes image;
  TagInfo info;
};

// Builds a fresh RMP3 image (head, audio, LIST, "IID3" header, then the
// block) from dataSize audio bytes of a source file. The RIFF size is the
// one the writer put there: it knows the final length before it starts.
Built BuildRmp3(TagInfo info, std::int32_t dataSize) {
  MemoryFileSystem fs;
  Bytes audio(static_cast<std::size_t>(dataSize));
  for (std::size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<std::uint8_t>(i * 7 + 1);
  fs.files["src"] = audio;
  auto file = fs.Open("src", OpenMode::ReadShared);
  ByteReader source(*file);
  Image image;
  WriteRiffImage(source, image, info, dataSize, false);
  WriteId3v1Block(image, info);
  return {testing::ImageBytes(image, audio), info};
}

std::uint32_t Le32At(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}

std::string FourAt(const Bytes& b, std::size_t at) {
  return {b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at) + 4};
}

TEST(RiffImage, EmptyTextsGiveTheSmallestList) {
  const Built b = BuildRmp3(EmptyTexts(), 1000);
  ASSERT_EQ(b.image.size(), 1338u);
  EXPECT_EQ(FourAt(b.image, 0), "RIFF");
  EXPECT_EQ(Le32At(b.image, 4), 1330u);
  EXPECT_EQ(FourAt(b.image, 8), "RMP3");
  EXPECT_EQ(FourAt(b.image, 12), "data");
  EXPECT_EQ(Le32At(b.image, 16), 1000u);
  EXPECT_EQ(FourAt(b.image, 1020), "LIST");
  EXPECT_EQ(Le32At(b.image, 1024), 310u);
  EXPECT_EQ(FourAt(b.image, 1028), "INFO");
  // Fifteen empty sub-chunks of 10 bytes and "ISFT" of 20.
  EXPECT_EQ(FourAt(b.image, 1032), "INAM");
  EXPECT_EQ(Le32At(b.image, 1036), 1u);
  EXPECT_EQ(b.image[1040], 0);
  EXPECT_EQ(b.image[1041], 0);
  const std::size_t isft = 1032 + 10 * 10;
  EXPECT_EQ(FourAt(b.image, isft), "ISFT");
  EXPECT_EQ(Le32At(b.image, isft + 4), 11u);
  EXPECT_EQ(std::string(b.image.begin() + isft + 8, b.image.begin() + isft + 20),
            std::string("Vom Trail!\0\0", 12));
  EXPECT_EQ(FourAt(b.image, 1338 - 136), "IID3");
  EXPECT_EQ(Le32At(b.image, 1338 - 132), 128u);
  EXPECT_EQ(FourAt(b.image, 1338 - 128).substr(0, 3), "TAG");
}

TEST(RiffImage, OddAudioGetsAPadByteThatTheSizeDoesNotCount) {
  const Built b = BuildRmp3(EmptyTexts(), 1001);
  ASSERT_EQ(b.image.size(), 1340u);
  EXPECT_EQ(Le32At(b.image, 4), 1332u);
  EXPECT_EQ(Le32At(b.image, 16), 1001u);
  EXPECT_EQ(b.image[1021], 0);
  EXPECT_EQ(FourAt(b.image, 1022), "LIST");
  const Built five = BuildRmp3(EmptyTexts(), 5);
  EXPECT_EQ(five.image[20], 1);  // the audio starts right behind the head
  EXPECT_EQ(five.image[25], 0);
  EXPECT_EQ(FourAt(five.image, 26), "LIST");
  EXPECT_EQ(FourAt(BuildRmp3(EmptyTexts(), 0).image, 20), "LIST");
}

TEST(RiffImage, SubChunksCarryTrimmedTextsWithTerminatorAndPad) {
  TagInfo info = EmptyTexts();
  SetItem(info, 0, " Abc  ");                  // 3 bytes: size 4, one zero
  SetItem(info, 1, "Abcd");                    // 4 bytes: size 5, two zeros
  SetItem(info, 2, std::string("ab\0cd", 5));  // 2 bytes: size 3, two zeros
  SetItem(info, 3, std::string(255, 'x'));     // size 256, 256 bytes
  SetItem(info, 4, std::string(254, 'y'));     // size 255, 256 bytes
  SetItem(info, VT_ITEM_ISFT, "whatever it was");
  const Built b = BuildRmp3(info, 2);
  std::size_t at = 20 + 2 + 12;
  const auto expect = [&](const char* id, std::uint32_t size, std::size_t bytes) {
    EXPECT_EQ(FourAt(b.image, at), id);
    EXPECT_EQ(Le32At(b.image, at + 4), size) << id;
    EXPECT_EQ(b.image[at + 8 + size - 1], 0) << id << " terminator";
    at += 8 + bytes;
  };
  expect("INAM", 4, 4);
  expect("IART", 5, 6);
  expect("IPRD", 3, 4);
  expect("ICMT", 256, 256);
  expect("IGNR", 255, 256);
  // L = 268 + (4 + 6 + 4 + 256 + 256) + 10 * 2 (ISFT "Vom Trail!") + 10 empties * 2.
  EXPECT_EQ(Le32At(b.image, 20 + 2 + 4), 268u + 526u + 12u + 10u * 2u);
  EXPECT_EQ(testing::ItemText(b.info, VT_ITEM_ISFT), "Vom Trail!");
  EXPECT_EQ(b.info.Items[VT_ITEM_ISFT].Text[10], 't') << "bytes behind the new text are the host's";
  EXPECT_EQ(Le32At(b.image, 4), b.image.size() - 8);
}

TEST(RiffImage, KeepHeadKeepsTheSourceInPlaceUpToTheEndOfItsAudioButTheSize) {
  MemoryFileSystem fs;
  Bytes wave = ByteBuilder()
                   .Text("RIFF")
                   .Le32(12345)
                   .Text("WAVE")
                   .Text("fmt ")
                   .Le32(16)
                   .Repeat(1, 16)
                   .Text("data")
                   .Le32(1001)
                   .Repeat(9, 1001)
                   .Text("LIST old stuff");
  fs.files["w"] = wave;
  auto file = fs.Open("w", OpenMode::ReadShared);
  ByteReader source(*file);
  source.Seek(44);
  Image image;
  TagInfo info = EmptyTexts();
  WriteRiffImage(source, image, info, 1001, true);
  const Bytes out = testing::ImageBytes(image, wave);
  EXPECT_TRUE(std::equal(wave.begin() + 8, wave.begin() + 1045, out.begin() + 8));
  EXPECT_EQ(Le32At(out, 4), out.size() + 128 - 8) << "the size counts the block the caller appends";
  // Head and audio are neither read nor written: only the size word is new.
  ASSERT_GE(image.Runs().size(), 4u);
  EXPECT_TRUE(image.Runs()[0].kept && image.Runs()[2].kept);
  EXPECT_EQ(image.Runs()[1].start, 4u);
  EXPECT_EQ(image.Runs()[1].length, 4u);
  EXPECT_EQ(image.Runs()[2].length, 1045u - 8);
  EXPECT_EQ(out[1045], 0);
  EXPECT_EQ(FourAt(out, 1046), "LIST");
}

TEST(RiffImage, ASourceShorterThanTheDataSizeFails) {
  MemoryFileSystem fs;
  fs.files["src"] = Bytes(10, 1);
  auto file = fs.Open("src", OpenMode::ReadShared);
  ByteReader source(*file);
  Image image;
  TagInfo info = EmptyTexts();
  EXPECT_THROW(WriteRiffImage(source, image, info, 11, false), IoError);
}

}  // namespace
}  // namespace vomtrail
