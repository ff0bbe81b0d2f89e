// GetInfo on files that lame tagged: the ID3v1 texts come back as lame was
// told to write them, in both block forms and behind an ID3v2 tag.
#include <gtest/gtest.h>

#include "ExternalTools.h"
#include "ModuleCalls.h"
#include "ScratchFiles.h"

namespace vomtrail::e2e {
namespace {

TEST(LameTagReadTest, Id3v11BlockGivesTextsTrackAndGenre) {
  const TagInfo info = ReadTagInfo(FixturePath("id3v11.mp3"));
  EXPECT_EQ(info.HasTag, 1);
  EXPECT_EQ(info.TagKind, VT_TAG_ID3V11);
  EXPECT_EQ(Text(info, VT_ITEM_TITLE), "Eleven Title");
  EXPECT_EQ(Text(info, VT_ITEM_ARTIST), "Eleven Artist");
  EXPECT_EQ(Text(info, VT_ITEM_ALBUM), "Eleven Album");
  EXPECT_EQ(Text(info, VT_ITEM_YEAR), "2011");
  EXPECT_EQ(Text(info, VT_ITEM_COMMENT), "eleven comment");
  EXPECT_EQ(info.Track, 7);
  EXPECT_EQ(Genre(info), 24);
}

TEST(LameTagReadTest, Id3v10BlockKeepsAllThirtyCommentBytes) {
  // A 30-byte comment leaves no room for the zero marker, so the block is
  // the ID3v1.0 form and has no track.
  TagInfo before{};
  before.Track = kUntouchedTrack;
  const TagInfo info = ReadTagInfoInto(FixturePath("id3v10.mp3"), before);
  EXPECT_EQ(info.HasTag, 1);
  EXPECT_EQ(info.TagKind, VT_TAG_ID3V10);
  EXPECT_EQ(Text(info, VT_ITEM_TITLE), "Ten Title");
  EXPECT_EQ(Text(info, VT_ITEM_ARTIST), "Ten Artist");
  EXPECT_EQ(Text(info, VT_ITEM_ALBUM), "Ten Album");
  EXPECT_EQ(Text(info, VT_ITEM_YEAR), "1999");
  EXPECT_EQ(Text(info, VT_ITEM_COMMENT), "abcdefghijklmnopqrstuvwxyz0123");
  EXPECT_EQ(info.Track, kUntouchedTrack);  // no track byte: the host's value stays
  EXPECT_EQ(Genre(info), 8);
}

TEST(LameTagReadTest, Id3v2InFrontIsSkippedAndItsTrailerStillRead) {
  const std::string path = FixturePath("id3v2-padded.mp3");
  const TagInfo info = ReadTagInfo(path);
  const ProbedAudio probed = ProbeFixture("id3v2-padded.mp3");

  // The first frame is found behind the tag and its padding.
  EXPECT_EQ(info.Layer, 3);
  EXPECT_EQ(info.SampleRate, probed.sampleRate);
  EXPECT_EQ(info.Bitrate, probed.bitRate);
  EXPECT_EQ(info.Vbr, 0);

  // The ID3v2 tag marks the kind whatever block follows.
  EXPECT_EQ(info.TagKind, VT_TAG_ID3V2);
  EXPECT_EQ(info.HasTag, 1);
  EXPECT_EQ(Text(info, VT_ITEM_TITLE), "Padded Title");
  EXPECT_EQ(Text(info, VT_ITEM_ARTIST), "Padded Artist");
  EXPECT_EQ(Text(info, VT_ITEM_ALBUM), "Padded Album");
  EXPECT_EQ(Text(info, VT_ITEM_YEAR), "2001");
  EXPECT_EQ(Text(info, VT_ITEM_COMMENT), "padded comment");
  EXPECT_EQ(info.Track, 3);
  EXPECT_EQ(Genre(info), 17);

  // The constant-rate count takes every byte but the ID3v1 block as audio,
  // the ID3v2 tag included: more frames than ffprobe decodes, by the tag's
  // length in frames. The frame length comes from ffprobe's figures.
  const std::int64_t frameLength = 144 * std::int64_t{probed.bitRate} / probed.sampleRate;
  EXPECT_EQ(info.FrameCount, (FileSize(path) - 132) / frameLength);
  EXPECT_GT(info.FrameCount, probed.packets + 1);
}

}  // namespace
}  // namespace vomtrail::e2e
