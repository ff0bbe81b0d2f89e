// The exact ID3v2 text editor: the edited frames change, every other frame
// keeps its bytes and order, the padding takes up the difference, and what
// it cannot rewrite exactly it refuses.
#include <gtest/gtest.h>

#include "TagBytes.h"
#include "tags/Id3v2Editor.h"
#include "tags/Id3v2Tag.h"

namespace vtinspect {
namespace {

using namespace testing;
using Texts = std::vector<std::string>;
using namespace std::literals;

const ByteVector kPrivate = Frame(3, "PRIV", Of("owner") + ByteVector{0, 0xFF, 0xE0, 1, 2});
const ByteVector kDescribed =
    Frame(3, "COMM", ByteVector{0} + Of("engiTunNORM") + ByteVector{0} + Of(" 0 0"));
const ByteVector kPicture =
    Frame(3, "APIC", ByteVector{0} + Of("image/png") + ByteVector{0, 3, 0} + ByteVector(50, 7));

ByteVector Tag23(std::size_t padding) {
  return Tag(3,
             Frame(3, "TIT2", Latin1("Old title")) + kPrivate + kDescribed +
                 Frame(3, "COMM", ByteVector{0} + Of("eng") + ByteVector{0} + Of("old")) + kPicture,
             0, padding);
}

// The frames of a tag as raw bytes, by id, in order.
std::vector<std::pair<std::string, ByteVector>> FramesOf(const ByteVector& tag) {
  const auto header = ParseId3v2Header(tag);
  const Id3v2Layout layout = LayOutId3v2(*header, tag);
  std::vector<std::pair<std::string, ByteVector>> frames;
  for (const FrameSpot& f : layout.walk.frames) {
    frames.emplace_back(f.Id(), ByteVector(tag.begin() + static_cast<long>(10 + f.offset),
                                           tag.begin() + static_cast<long>(10 + f.End())));
  }
  return frames;
}

Id3v2Rewrite Edit(const ByteVector& tag, std::vector<TextEdit> edits) { return EditId3v2Texts(tag, edits); }

TEST(Id3v2Editor, EditsInPlaceKeepingEveryOtherFrameAndTheLength) {
  const ByteVector old_tag = Tag23(100);
  const Id3v2Rewrite result =
      Edit(old_tag,
           {{TextField::kTitle, "New"}, {TextField::kComment, "new comment"}, {TextField::kAlbum, "Added"}});
  ASSERT_FALSE(result.Refused()) << result.refusal;
  EXPECT_EQ(result.tag.size(), old_tag.size());  // the padding absorbed the difference
  const auto frames = FramesOf(result.tag);
  ASSERT_EQ(frames.size(), 6u);
  EXPECT_EQ(frames[0].second, Frame(3, "TIT2", Latin1("New")));
  EXPECT_EQ(frames[1].second, kPrivate);
  EXPECT_EQ(frames[2].second, kDescribed);
  EXPECT_EQ(frames[3].second,
            Frame(3, "COMM", ByteVector{0} + Of("eng") + ByteVector{0} + Of("new comment")));
  EXPECT_EQ(frames[4].second, kPicture);
  EXPECT_EQ(frames[5].first, "TALB");  // a new frame goes behind the last one
  const Id3v2Tag tag = ReadId3v2(result.tag);
  EXPECT_EQ(tag.title, Texts{"New"});
  EXPECT_EQ(tag.album, Texts{"Added"});
  EXPECT_EQ(tag.comments.at(0).text, Texts{"new comment"});
  EXPECT_EQ(tag.padding, 100u + 6u - 8u - 16u);  // title 6 bytes shorter, comment 8 longer, album 16 new
}

TEST(Id3v2Editor, RemovingAFrameGrowsThePaddingAndGrowthAddsPadding) {
  const ByteVector old_tag = Tag23(10);
  const Id3v2Rewrite removed = Edit(old_tag, {{TextField::kTitle, ""}, {TextField::kComment, ""}});
  ASSERT_FALSE(removed.Refused());
  EXPECT_EQ(removed.tag.size(), old_tag.size());
  const Id3v2Tag tag = ReadId3v2(removed.tag);
  EXPECT_TRUE(tag.title.empty());
  EXPECT_EQ(tag.comments.size(), 1u);  // the described comment stays
  EXPECT_EQ(tag.padding, 10u + 20u + 18u);

  const std::string long_title(300, 't');
  const Id3v2Rewrite grown = Edit(old_tag, {{TextField::kTitle, long_title}});
  ASSERT_FALSE(grown.Refused());
  const Id3v2Tag read = ReadId3v2(grown.tag);
  EXPECT_EQ(read.title, Texts{long_title});
  EXPECT_EQ(read.padding, kGrowthPadding);
  EXPECT_EQ(grown.tag.size(), old_tag.size() - 10 - 20 + 311 + kGrowthPadding);
}

TEST(Id3v2Editor, EncodingFollowsTheTextAndTheVersion) {
  const Texts title{"日本 é"};
  for (int major : {2, 3, 4}) {
    SCOPED_TRACE(major);
    const ByteVector old_tag = Tag(major, Frame(major, major == 2 ? "TT2" : "TIT2", Latin1("x")), 0, 50);
    const Id3v2Rewrite result = Edit(old_tag, {{TextField::kTitle, title[0]},
                                               {TextField::kArtist, "é"},
                                               {TextField::kYear, "2024"},
                                               {TextField::kTrack, "3/9"},
                                               {TextField::kGenre, "(17)"},
                                               {TextField::kComment, "ü"}});
    ASSERT_FALSE(result.Refused()) << result.refusal;
    const auto frames = FramesOf(result.tag);
    EXPECT_EQ(frames[0].second[major == 2 ? 6 : 10], major == 4 ? 3 : 1);  // UTF-8, or UTF-16 with a mark
    EXPECT_EQ(frames[1].second[major == 2 ? 6 : 10], 0);                   // ISO-8859-1 when it fits
    EXPECT_EQ(frames[2].first, major == 2 ? "TYE" : major == 3 ? "TYER" : "TDRC");
    const Id3v2Tag tag = ReadId3v2(result.tag);
    EXPECT_EQ(tag.title, title);
    EXPECT_EQ(tag.artist, Texts{"é"});
    EXPECT_EQ(tag.date, "2024");
    EXPECT_EQ(tag.track.total, 9);
    EXPECT_EQ(tag.genres.at(0).number, 17);
    EXPECT_EQ(tag.comments.at(0).text, Texts{"ü"});
    EXPECT_EQ(tag.comments.at(0).language, "eng");
  }
}

TEST(Id3v2Editor, Version23WholeTagUnsynchronisationIsRedone) {
  // PRIV holds 0xFF 0xE0, stored with a zero between them.
  ByteVector body = Frame(3, "TIT2", Latin1("Old"));
  const ByteVector stored_private =
      Of("PRIV") + BigEndianBytes(5, 4) + ByteVector{0, 0, 'o', 0, 0xFF, 0x00, 0xE0, 1};
  const ByteVector old_tag = Tag(3, body + stored_private, 0x80, 40);
  const Id3v2Rewrite result =
      Edit(old_tag, {{TextField::kTitle, "\u00FF\u00E0"}});  // 0xFF 0xE0 in ISO-8859-1
  ASSERT_FALSE(result.Refused()) << result.refusal;
  EXPECT_EQ(result.tag[5], 0x80);
  const ByteVector new_title = Of("TIT2") + BigEndianBytes(3, 4) + ByteVector{0, 0, 0, 0xFF, 0x00, 0xE0};
  EXPECT_EQ(
      ByteVector(result.tag.begin() + 10, result.tag.begin() + 10 + static_cast<long>(new_title.size())),
      new_title);
  EXPECT_EQ(ByteVector(result.tag.begin() + 10 + static_cast<long>(new_title.size()),
                       result.tag.begin() + 10 + static_cast<long>(new_title.size() + stored_private.size())),
            stored_private);
  EXPECT_EQ(ReadId3v2(result.tag).title, Texts{"\u00FF\u00E0"});
  EXPECT_EQ(result.tag.size(), old_tag.size());
}

TEST(Id3v2Editor, AKeptFrameEndingIn0xFFBeforeThePaddingGetsItsZero) {
  // In the old tag the PRIV ending in 0xFF stood before TPE1, whose id needs
  // no escape; with TPE1 taken away it stands before the padding, where the
  // pair 0xFF 0x00 would read as an escape and eat a padding byte.
  const ByteVector stored_private = Of("PRIV") + BigEndianBytes(3, 4) + ByteVector{0, 0, 'o', 0, 0xFF};
  const ByteVector old_tag = Tag(
      3, Frame(3, "TIT2", Latin1("Old")) + stored_private + Frame(3, "TPE1", Latin1("Old artist")), 0x80, 0);
  const Id3v2Rewrite result =
      Edit(old_tag, {{TextField::kArtist, ""}, {TextField::kTitle, std::string(40, 't')}});
  ASSERT_FALSE(result.Refused()) << result.refusal;
  const Id3v2Tag read = ReadId3v2(result.tag);
  EXPECT_EQ(read.title, Texts{std::string(40, 't')});
  EXPECT_EQ(read.padding, kGrowthPadding) << "no padding byte read away as an escape";
}

TEST(Id3v2Editor, TagFormsAreKept) {
  // A 2.4 tag with 2.3-style sizes gets new frames with plain sizes too.
  const ByteVector plain = Tag(4, Frame(4, "TIT2", Latin1(std::string(200, 'x')), 0, true), 0, 10);
  const Id3v2Rewrite result = Edit(plain, {{TextField::kArtist, std::string(150, 'a')}});
  ASSERT_FALSE(result.Refused());
  const Id3v2Tag tag = ReadId3v2(result.tag);
  EXPECT_TRUE(tag.plain_frame_sizes);
  EXPECT_EQ(tag.artist, Texts{std::string(150, 'a')});
  // 2.3's extended header states the new padding.
  const ByteVector extended = BigEndianBytes(6, 4) + ByteVector{0, 0} + BigEndianBytes(30, 4);
  const Id3v2Rewrite padded =
      Edit(Tag(3, extended + Frame(3, "TIT2", Latin1("abc")), 0x40, 30), {{TextField::kTitle, "a"}});
  ASSERT_FALSE(padded.Refused()) << padded.refusal;
  EXPECT_EQ(ByteVector(padded.tag.begin() + 16, padded.tag.begin() + 20), BigEndianBytes(32, 4));
  EXPECT_EQ(ReadId3v2(padded.tag).title, Texts{"a"});
}

TEST(Id3v2Editor, RefusesWhatItCannotRewriteExactly) {
  const ByteVector title = Frame(3, "TIT2", Latin1("x"));
  const std::vector<std::pair<ByteVector, std::string>> refused = {
      {Tag(3, title + Frame(3, "TPE1", Latin1("c"), 0x0080)), "compressed"},
      {Tag(4, Frame(4, "TPE1", Latin1("c"), 0x0004)), "encrypted"},
      {Tag(4, Frame(4, "TIT2", Latin1("x")), 0x80), "unsynchronised"},
      {Tag(4, Frame(4, "TIT2", Latin1("x")), 0x10) + Of("3DI\x04\x00\x10"sv) + SynchsafeBytes(11), "footer"},
      {Tag(3,
           BigEndianBytes(10, 4) + ByteVector{0x80, 0} + BigEndianBytes(0, 4) + BigEndianBytes(1, 4) + title,
           0x40),
       "CRC"},
      {Tag(3, title + Of("junk!junk!")), "walked"},
      {Tag(3, title + ByteVector{0, 0, 'x'}), "not zero"},
      {Tag(2, title, 0x40), "compressed"},
      {Of("RIFF"), "no ID3v2"},
  };
  for (const auto& [bytes, reason] : refused) {
    const Id3v2Rewrite result = Edit(bytes, {{TextField::kTitle, "new"}});
    EXPECT_TRUE(result.Refused()) << reason;
    EXPECT_TRUE(result.tag.empty());
    EXPECT_NE(result.refusal.find(reason), std::string::npos) << result.refusal;
  }
  ByteVector cut = Tag(3, title, 0, 5);
  cut.pop_back();
  EXPECT_TRUE(Edit(cut, {{TextField::kTitle, "a"}}).Refused());
  EXPECT_TRUE(Edit(Tag(3, title), {{TextField::kYear, "05"}}).Refused());
  EXPECT_FALSE(Edit(Tag(4, title), {{TextField::kYear, "2005-06"}}).Refused());
  EXPECT_TRUE(Edit(Tag(4, title), {{TextField::kYear, "2005/06"}}).Refused());
  EXPECT_TRUE(Edit(Tag(3, title), {{TextField::kArtist, "\xC3"}}).Refused());
}

}  // namespace
}  // namespace vtinspect
