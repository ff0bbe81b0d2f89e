// One file's inspection on bytes: the tags at both ends beside the audio.
#include <gtest/gtest.h>

#include "FileBuilder.h"
#include "FileInspection.h"

namespace vtinspect {
namespace {

using testing::FileBuilder;

std::string Id3v2WithTitle(std::string_view title) {
  const std::string frame = FileBuilder()
                                .Text("TIT2")
                                .Be32(static_cast<std::uint32_t>(title.size() + 1))
                                .Zeros(2)
                                .Zeros(1)
                                .Text(title)
                                .Get();
  return FileBuilder()
      .Text("ID3")
      .Bytes({3, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(frame.size())})
      .Text(frame)
      .Get();
}

std::string Id3v1(std::uint8_t trackMark, std::uint8_t track, std::uint8_t genre) {
  return FileBuilder()
      .Text("TAG")
      .Text(std::string("Title") + std::string(25, ' '))
      .Zeros(30 + 30 + 4 + 28)  // artist, album, year, comment
      .Bytes({trackMark, track, genre})
      .Get();
}

TEST(FileInspection, TagsAtBothEnds) {
  const std::string frame = FileBuilder().Bytes({0xFF, 0xFB, 0x90, 0x00}).Zeros(413).Get();
  // An APE tag of one item (value size, flags, key, zero, value) and a footer.
  const std::string apeTag = FileBuilder()
                                 .Le32(4)
                                 .Le32(0)
                                 .Text("Tit")
                                 .Zeros(1)
                                 .Text("Ape!")
                                 .Text("APETAGEX")
                                 .Le32(2000)
                                 .Le32(16 + 32)
                                 .Le32(1)
                                 .Le32(0)
                                 .Zeros(8)
                                 .Get();
  const std::string file =
      Id3v2WithTitle("First") + Id3v2WithTitle("Second") + frame + frame + apeTag + Id3v1(0, 7, 255);
  MemoryBytes bytes(file);
  const FileInspection inspection = InspectBytes(bytes);
  ASSERT_EQ(inspection.id3v2.size(), 2u);
  EXPECT_EQ(inspection.id3v2[1].title, std::vector<std::string>{"Second"});
  ASSERT_TRUE(inspection.ape);
  EXPECT_EQ(inspection.ape->items.at(0).text, "Ape!");
  ASSERT_TRUE(inspection.id3v1);
  EXPECT_EQ(inspection.id3v1->title, "Title");
  EXPECT_EQ(inspection.id3v1->track, 7);
  EXPECT_FALSE(inspection.id3v1->genre);  // 255: no genre
  ASSERT_TRUE(inspection.length);
  EXPECT_EQ(inspection.length->frames, 2u);  // the tags' bytes are no audio

  // A zero track byte is a comment padded with zeros: no track.
  EXPECT_FALSE(ParseId3v1Block(Id3v1(0, 0, 17))->track);
  EXPECT_EQ(ParseId3v1Block(Id3v1(0, 0, 17))->genre, 17);
  // Without its texts, the inspection still finds the audio and the block.
  const FileInspection quick = InspectBytes(bytes, InspectOptions{false});
  EXPECT_TRUE(quick.id3v2.empty() && !quick.ape && quick.id3v1);
}

}  // namespace
}  // namespace vtinspect
