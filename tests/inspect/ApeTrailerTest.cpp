// APE tags and the trailer finder: where the audio ends when ID3v1,
// Lyrics3 and APE blocks follow it in any order.
#include <gtest/gtest.h>

#include "TagBytes.h"
#include "tags/ApeTag.h"
#include "tags/TagTrailer.h"

namespace vtinspect {
namespace {

using namespace testing;

const ByteVector kAudio(300, 0xAA);

ByteVector ApeTag2(bool with_header) {
  const ByteVector items = ApeItemBytes("Title", "Café") +
                           ApeItemBytes("Cover Art (Front)", "\x01\x02\x03", 2) +
                           ApeItemBytes("Artist", "A", 1);
  const auto tag_size = static_cast<std::uint32_t>(items.size() + 32);
  const std::uint32_t has_header = with_header ? 0x80000000u : 0;
  return (with_header ? ApeFooterBytes(tag_size, 3, has_header | 0x20000000u) : ByteVector{}) + items +
         ApeFooterBytes(tag_size, 3, has_header);
}

TEST(ApeTags, ItemsFromTheFooterWithOrWithoutAHeader) {
  for (bool with_header : {false, true}) {
    const ByteVector tag_bytes = ApeTag2(with_header);
    const ByteVector file = kAudio + tag_bytes;
    const ApeTag tag = ReadApeTagEndingAt(file, file.size());
    ASSERT_TRUE(tag.found);
    EXPECT_EQ(tag.begin, kAudio.size());
    EXPECT_EQ(tag.size, tag_bytes.size());
    EXPECT_TRUE(tag.damage.empty());
    ASSERT_EQ(tag.items.size(), 3u);
    EXPECT_EQ(tag.items[0].key, "Title");
    EXPECT_EQ(tag.items[0].text, "Café");
    EXPECT_EQ(tag.items[1].kind, ApeItemKind::kBinary);
    EXPECT_EQ(tag.items[1].size, 3u);
    EXPECT_TRUE(tag.items[2].read_only);
    if (with_header) {
      EXPECT_EQ(ReadApeTagAt(file, kAudio.size()).items.size(), 3u);
    }
  }
}

TEST(ApeTags, Version1AndDamage) {
  const ByteVector items = ApeItemBytes("Title", "Caf\xE9");
  const ByteVector v1 = items + ApeFooterBytes(static_cast<std::uint32_t>(items.size() + 32), 1, 0, 1000);
  EXPECT_EQ(ReadApeTagEndingAt(v1, v1.size()).items.at(0).text, "Café");  // version 1: ISO-8859-1
  const ByteVector v2 = items + ApeFooterBytes(static_cast<std::uint32_t>(items.size() + 32), 1, 0);
  EXPECT_TRUE(ReadApeTagEndingAt(v2, v2.size()).items.at(0).damaged);  // version 2 texts are UTF-8
  // More items than the tag holds, a size past the start of the bytes.
  const ByteVector counted =
      items + ApeFooterBytes(static_cast<std::uint32_t>(items.size() + 32), 1000000, 0);
  const ApeTag over = ReadApeTagEndingAt(counted, counted.size());
  EXPECT_EQ(over.items.size(), 1u);
  EXPECT_FALSE(over.damage.empty());
  EXPECT_FALSE(ReadApeTagEndingAt(ApeFooterBytes(5000, 0, 0), 32).found);
  const ByteVector long_value = LittleEndianBytes(1000) + LittleEndianBytes(0) + Of("Key") + ByteVector{0};
  const ByteVector broken =
      long_value + ApeFooterBytes(static_cast<std::uint32_t>(long_value.size() + 32), 1, 0);
  EXPECT_TRUE(ReadApeTagEndingAt(broken, broken.size()).items.empty());
}

ByteVector Lyrics3v2() {
  const ByteVector block = Of("LYRICSBEGININD00002") + Of("10") + Of("LYR00005") + Of("hello");
  char size[7];
  std::snprintf(size, sizeof size, "%06zu", block.size());
  return block + Of(size) + Of("LYRICS200");
}

TEST(Trailers, BlocksInAnyOrderAndTheAudioEnd) {
  const ByteVector ape = ApeTag2(true);
  const ByteVector lyrics1 = Of("LYRICSBEGIN") + Of("some words") + Of("LYRICSEND");
  const ByteVector lyrics2 = Lyrics3v2();
  const ByteVector id3v1 = Id3v1("Title");
  struct Case {
    ByteVector blocks;
    std::vector<TrailerKind> kinds;
  };
  const std::vector<Case> cases = {
      {{}, {}},
      {id3v1, {TrailerKind::kId3v1}},
      {ape, {TrailerKind::kApe}},
      {ape + id3v1, {TrailerKind::kApe, TrailerKind::kId3v1}},
      {id3v1 + ape, {TrailerKind::kId3v1, TrailerKind::kApe}},
      {ape + lyrics2 + id3v1, {TrailerKind::kApe, TrailerKind::kLyrics3v2, TrailerKind::kId3v1}},
      {lyrics2 + ape + id3v1, {TrailerKind::kLyrics3v2, TrailerKind::kApe, TrailerKind::kId3v1}},
      {lyrics1 + id3v1, {TrailerKind::kLyrics3v1, TrailerKind::kId3v1}},
      {lyrics2, {}},  // Lyrics3 only stands in front of an ID3v1 block
  };
  for (const Case& c : cases) {
    const ByteVector file = kAudio + c.blocks;
    const Trailer trailer = FindTrailer(file.size(), file);
    EXPECT_EQ(trailer.audio_end, c.kinds.empty() ? file.size() : kAudio.size());
    ASSERT_EQ(trailer.blocks.size(), c.kinds.size());
    std::uint64_t at = trailer.audio_end;
    for (std::size_t i = 0; i < c.kinds.size(); ++i) {
      EXPECT_EQ(trailer.blocks[i].kind, c.kinds[i]);
      EXPECT_EQ(trailer.blocks[i].begin, at);
      at += trailer.blocks[i].size;
    }
    EXPECT_EQ(at, c.kinds.empty() ? trailer.audio_end : file.size());
  }
}

TEST(Trailers, AWindowSmallerThanTheTagGivesTheRangeAndSaysSo) {
  const ByteVector file = kAudio + ApeTag2(true) + Id3v1("T");
  const std::uint64_t file_size = 1'000'000 + file.size();  // the file is larger than the window
  const Trailer trailer = FindTrailer(file_size, Bytes(file).last(128 + 40));
  ASSERT_EQ(trailer.blocks.size(), 2u);
  EXPECT_TRUE(trailer.beyond_window);
  EXPECT_EQ(trailer.audio_end, file_size - file.size() + kAudio.size());
  // A window larger than the file, and an APE size larger than the file.
  EXPECT_EQ(FindTrailer(10, file).audio_end, 10u);
  const ByteVector lying = kAudio + ApeFooterBytes(1u << 30, 0, 0);
  EXPECT_EQ(FindTrailer(lying.size(), lying).audio_end, lying.size());
}

}  // namespace
}  // namespace vtinspect
