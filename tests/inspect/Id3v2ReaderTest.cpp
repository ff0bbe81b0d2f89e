// The ID3v2 reader on tags built byte by byte: every version, the two
// kinds of unsynchronisation, extended headers, footers, 2.4 files with
// 2.3 sizes, stacked tags, every text encoding, damage.
#include <gtest/gtest.h>

#include "TagBytes.h"
#include "tags/Id3v2Tag.h"

namespace vtinspect {
namespace {

using namespace testing;
using Texts = std::vector<std::string>;
using namespace std::literals;

const ByteVector kPng = ByteVector{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13} + Of("IHDR") +
                        BigEndianBytes(640, 4) + BigEndianBytes(480, 4) + ByteVector(5, 0);
// SOI, an APP0 segment, then SOF0 with height 300 and width 400.
const ByteVector kJpeg = ByteVector{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J',  'F',  0xFF, 0xFF,
                                    0xC0, 0x00, 0x11, 0x08, 0x01, 0x2C, 0x01, 0x90, 0x03};

// Each entry as number, ":" and text, or R and C for the marks.
std::string Entries(const std::vector<GenreEntry>& genres) {
  std::string out;
  for (const GenreEntry& g : genres) {
    out += (g.number ? std::to_string(*g.number) : "") + (g.text.empty() ? "" : ":" + g.text);
    out += g.mark == GenreMark::kRemix ? "R " : g.mark == GenreMark::kCover ? "C " : " ";
  }
  return out;
}

// The common frames under each version's ids.
ByteVector CommonFrames(int major) {
  const bool v22 = major == 2;
  return Frame(major, v22 ? "TT2" : "TIT2", Latin1("Title")) +
         Frame(major, v22 ? "TP1" : "TPE1", Latin1("Artist")) +
         Frame(major, v22 ? "TAL" : "TALB", Latin1("Album")) +
         Frame(major, v22 ? "TP2" : "TPE2", Latin1("Band")) +
         Frame(major, v22 ? "TRK" : "TRCK", Latin1("3/12")) +
         Frame(major, v22 ? "TPA" : "TPOS", Latin1("1")) +
         Frame(major, v22 ? "TCO" : "TCON", Latin1("(13)Rock")) +
         Frame(major, v22 ? "COM" : "COMM",
               ByteVector{0} + Of("eng") + Of("desc") + ByteVector{0} + Of("described")) +
         Frame(major, v22 ? "COM" : "COMM", ByteVector{0} + Of("eng") + ByteVector{0} + Of("plain")) +
         Frame(major, v22 ? "TXX" : "TXXX", ByteVector{0} + Of("MOOD") + ByteVector{0} + Of("calm")) +
         Frame(major, v22 ? "TEN" : "TENC", Latin1("enc"));
}

TEST(Id3v2Versions, EveryVersionGivesTheSameTexts) {
  for (int major : {2, 3, 4}) {
    SCOPED_TRACE(major);
    const ByteVector bytes = Tag(major, CommonFrames(major), 0, 20) + Of("audio");
    const Id3v2Tag tag = ReadId3v2(bytes);
    ASSERT_EQ(tag.status, Id3v2Status::kRead);
    EXPECT_EQ(tag.total_size, bytes.size() - 5);
    EXPECT_EQ(tag.padding, 20u);
    EXPECT_EQ(tag.title, Texts{"Title"});
    EXPECT_EQ(tag.artist, Texts{"Artist"});
    EXPECT_EQ(tag.album, Texts{"Album"});
    EXPECT_EQ(tag.album_artist, Texts{"Band"});
    EXPECT_EQ(tag.track.number, 3);
    EXPECT_EQ(tag.track.total, 12);
    EXPECT_EQ(tag.disc.number, 1);
    EXPECT_FALSE(tag.disc.total);
    EXPECT_EQ(Entries(tag.genres), "13:Rock ");
    ASSERT_EQ(tag.comments.size(), 2u);  // the one without a description first
    EXPECT_EQ(tag.comments[0].text, Texts{"plain"});
    EXPECT_EQ(tag.comments[1].description, "desc");
    ASSERT_EQ(tag.user_texts.size(), 1u);
    EXPECT_EQ(tag.user_texts[0].values, Texts{"calm"});
    ASSERT_EQ(tag.unread.size(), 1u);
    EXPECT_EQ(tag.unread[0].meaning, major == 2 ? "TENC" : "");
    EXPECT_EQ(tag.unread[0].size, 4u);
    EXPECT_EQ(tag.frame_count, 11u);
  }
}

TEST(Id3v2Versions, DatesFromTdrcOrFromTyerWithTdat) {
  EXPECT_EQ(ReadId3v2(Tag(3, Frame(3, "TYER", Latin1("2001")) + Frame(3, "TDAT", Latin1("0304")))).date,
            "2001-04-03");
  EXPECT_EQ(ReadId3v2(Tag(2, Frame(2, "TYE", Latin1("1999")))).date, "1999");
  EXPECT_EQ(ReadId3v2(Tag(4, Frame(4, "TDRC", Latin1("2004-05-06T07:08")))).date, "2004-05-06T07:08");
}

TEST(Id3v2Versions, UnknownVersionsAndNonTagsGiveOnlyWhatIsKnown) {
  const Id3v2Tag later = ReadId3v2(Tag(5, Frame(4, "TIT2", Latin1("x"))));
  EXPECT_EQ(later.status, Id3v2Status::kUnknownVersion);
  EXPECT_EQ(later.total_size, 10u + 12u);
  EXPECT_EQ(ReadId3v2(Of("ID3\x03\x00\x00\x00\x00\x80\x00"sv)).status, Id3v2Status::kNoTag);  // not synchsafe
  EXPECT_EQ(ReadId3v2(Of("ID3\x03")).status, Id3v2Status::kNoTag);
  EXPECT_EQ(ReadId3v2(Of("TAG")).status, Id3v2Status::kNoTag);
}

// Texts in every encoding, decoded to UTF-8.
Texts TitleOf(int major, const ByteVector& data) {
  return ReadId3v2(Tag(major, Frame(major, "TIT2", data))).title;
}

TEST(Id3v2Texts, EveryEncodingDecodesToUtf8) {
  EXPECT_EQ(TitleOf(3, ByteVector{0, 'C', 'a', 'f', 0xE9}), Texts{"Café"});
  EXPECT_EQ(TitleOf(3, ByteVector{1, 0xFF, 0xFE, 'C', 0, 0xE9, 0}), Texts{"Cé"});  // little-endian mark
  EXPECT_EQ(TitleOf(3, ByteVector{1, 0xFE, 0xFF, 0x65, 0xE5, 0x67, 0x2C}), Texts{"日本"});  // big-endian mark
  EXPECT_EQ(TitleOf(3, ByteVector{1, 'A', 0, 'B', 0}), Texts{"AB"});  // no mark: little-endian
  EXPECT_EQ(TitleOf(4, ByteVector{2, 0x00, 'A', 0xD8, 0x3D, 0xDE, 0x00}), Texts{"A😀"});  // UTF-16BE, a pair
  EXPECT_EQ(TitleOf(4, ByteVector{3, 0xE6, 0x97, 0xA5}), Texts{"日"});
  EXPECT_EQ(TitleOf(3, ByteVector{0, 'T', 'i', 0, 0, 0}), Texts{"Ti"});  // terminators behind the value
  EXPECT_EQ(TitleOf(3, ByteVector{1, 0xFF, 0xFE, 'A', 0, 0}),
            Texts{"A"});  // odd length: a one-byte terminator
}

TEST(Id3v2Texts, Version24KeepsMultipleValues) {
  EXPECT_EQ(TitleOf(4, ByteVector{0, 'a', 0, 'b', 0}), (Texts{"a", "b"}));
  // Only the first UTF-16 value has a byte order mark; the rest keep its order.
  EXPECT_EQ(TitleOf(4, ByteVector{1, 0xFE, 0xFF, 0, 'a', 0, 0, 0, 'b'}), (Texts{"a", "b"}));
  EXPECT_EQ(TitleOf(4, ByteVector{1, 0xFF, 0xFE, 'a', 0, 0, 0, 0xFE, 0xFF, 0, 'b'}), (Texts{"a", "b"}));
  const Id3v2Tag tag = ReadId3v2(
      Tag(4, Frame(4, "TCON",
                   ByteVector{0} + Of("13") + ByteVector{0} + Of("RX") + ByteVector{0} + Of("Shoegaze"))));
  EXPECT_EQ(tag.genre_text, (Texts{"13", "RX", "Shoegaze"}));
  EXPECT_EQ(Entries(tag.genres), "13 R :Shoegaze ");
}

TEST(Id3v2Texts, TextsInvalidInTheirEncodingAreDamagedAndTheRestIsRead) {
  for (const ByteVector& data : {ByteVector{3, 'a'},                      // UTF-8 is 2.4 only
                                 ByteVector{7, 'a'},                      // no such encoding
                                 ByteVector{1, 0xFF, 0xFE, 'a', 0, 'b'},  // a stray byte at the end
                                 ByteVector{1, 0xFF, 0xFE, 0x00, 0xDC},   // a lone low surrogate
                                 ByteVector{}}) {
    const Id3v2Tag tag = ReadId3v2(Tag(3, Frame(3, "TIT2", data) + Frame(3, "TPE1", Latin1("After"))));
    EXPECT_TRUE(tag.title.empty());
    EXPECT_EQ(tag.artist, Texts{"After"});
    ASSERT_EQ(tag.unread.size(), 1u);
    EXPECT_EQ(tag.unread[0].issue, FrameIssue::kDamaged);
    EXPECT_FALSE(tag.unread[0].detail.empty());
  }
  EXPECT_EQ(TitleOf(4, ByteVector{3, 0xC0, 0xAF}), Texts{});  // an overlong UTF-8 form
}

TEST(Id3v2Genres, ReferencesRefinementsAndMarks) {
  const auto genres =
      ParseGenres({"(13)", "(17)Rock", "(RX)(CR)", "((Weird)", "(4)(9)", "Ska", "255", "1234"});
  EXPECT_EQ(Entries(genres), "13 17:Rock R C :(Weird) 4 9 :Ska 255 :1234 ");
  auto names = [](int number) -> std::optional<std::string_view> {
    if (number == 13) return "Pop";
    return std::nullopt;
  };
  EXPECT_EQ(GenreLabel(genres[0], names), "Pop");
  EXPECT_EQ(GenreLabel(genres[1], names), "Rock");
  EXPECT_EQ(GenreLabel(genres[2], nullptr), "Remix");
  EXPECT_EQ(GenreLabel(genres[8], names), "255");
}

TEST(Id3v2Unsynchronisation, WholeTagIn23AndPerFrameIn24) {
  // "a" 0xFF 0xE0 "b" stored with a zero behind the 0xFF; 2.3 counts sizes
  // after resynchronisation, 2.4 before.
  const ByteVector stored = ByteVector{0, 'a', 0xFF, 0x00, 0xE0, 'b'};
  ByteVector body23 =
      Of("TIT2") + BigEndianBytes(5, 4) + ByteVector{0, 0} + stored + Frame(3, "TPE1", Latin1("x"));
  EXPECT_EQ(ReadId3v2(Tag(3, body23, 0x80)).title, Texts{"a\u00FF\u00E0b"});
  EXPECT_EQ(ReadId3v2(Tag(4, Frame(4, "TIT2", stored, 0x0002) + Frame(4, "TPE1", Latin1("x")))).title,
            Texts{"a\u00FF\u00E0b"});
  // With a data length indicator in front of the data.
  const Id3v2Tag with_length = ReadId3v2(Tag(4, Frame(4, "TIT2", SynchsafeBytes(5) + stored, 0x0003)));
  EXPECT_EQ(with_length.title, Texts{"a\u00FF\u00E0b"});
  // The 2.4 header flag unsynchronises every frame.
  EXPECT_EQ(ReadId3v2(Tag(4, Frame(4, "TIT2", stored), 0x80)).title, Texts{"a\u00FF\u00E0b"});
}

TEST(Id3v2Headers, ExtendedHeadersAndFooter) {
  const ByteVector frames = Frame(3, "TIT2", Latin1("T"));
  const ByteVector ext23 =
      BigEndianBytes(10, 4) + ByteVector{0x80, 0} + BigEndianBytes(0, 4) + BigEndianBytes(0xDEADBEEF, 4);
  EXPECT_EQ(ReadId3v2(Tag(3, ext23 + frames, 0x40)).title, Texts{"T"});
  const ByteVector ext24 = SynchsafeBytes(14) + ByteVector{1, 0x30, 0x05, 1, 2, 3, 4, 5, 0x01, 0x42};
  EXPECT_EQ(ReadId3v2(Tag(4, ext24 + Frame(4, "TIT2", Latin1("T")), 0x40)).title, Texts{"T"});
  const Id3v2Tag broken = ReadId3v2(Tag(3, BigEndianBytes(400, 4) + ByteVector(6, 0) + frames, 0x40));
  EXPECT_TRUE(broken.title.empty());
  ASSERT_EQ(broken.unread.size(), 1u);
  EXPECT_EQ(broken.unread[0].issue, FrameIssue::kDamaged);

  const ByteVector body = Frame(4, "TIT2", Latin1("F"));
  const ByteVector footed =
      Tag(4, body, 0x10) + Of("3DI\x04") + ByteVector{0, 0x10} + SynchsafeBytes(12) + Of("audio");
  const Id3v2Tag tag = ReadId3v2(footed);
  EXPECT_EQ(tag.total_size, 10u + 12u + 10u);
  EXPECT_EQ(tag.title, Texts{"F"});
}

TEST(Id3v2Sizes, Version24WithPlainSizesIsDetected) {
  const std::string long_title(200, 'x');  // 201 bytes: 0x000000C9, not synchsafe-equal
  const ByteVector body =
      Frame(4, "TIT2", Latin1(long_title), 0, true) + Frame(4, "TPE1", Latin1("A"), 0, true);
  const Id3v2Tag tag = ReadId3v2(Tag(4, body, 0, 30));
  EXPECT_TRUE(tag.plain_frame_sizes);
  EXPECT_EQ(tag.title, Texts{long_title});
  EXPECT_EQ(tag.artist, Texts{"A"});
  const Id3v2Tag proper =
      ReadId3v2(Tag(4, Frame(4, "TIT2", Latin1(long_title)) + Frame(4, "TPE1", Latin1("A"))));
  EXPECT_FALSE(proper.plain_frame_sizes);
  EXPECT_EQ(proper.artist, Texts{"A"});
}

TEST(Id3v2Sizes, DamagedSizesStopTheWalkWithoutLosingEarlierFrames) {
  const ByteVector past =
      Frame(3, "TIT2", Latin1("ok")) + Of("TPE1") + BigEndianBytes(5000, 4) + ByteVector{0, 0, 0, 'x'};
  const Id3v2Tag tag = ReadId3v2(Tag(3, past));
  EXPECT_EQ(tag.title, Texts{"ok"});
  ASSERT_EQ(tag.unread.size(), 1u);
  EXPECT_EQ(tag.unread[0].issue, FrameIssue::kDamaged);
  EXPECT_NE(tag.unread[0].detail.find("TPE1"), std::string::npos);
  // Junk where the next frame should be.
  EXPECT_EQ(ReadId3v2(Tag(3, Frame(3, "TIT2", Latin1("ok")) + Of("junk!junk!junk"))).unread.size(), 1u);
  // The bytes given end inside the tag: what is there is read.
  ByteVector cut = Tag(3, Frame(3, "TIT2", Latin1("ok")) + Frame(3, "TPE1", Latin1("gone")));
  cut.resize(cut.size() - 3);
  const Id3v2Tag truncated = ReadId3v2(cut);
  EXPECT_TRUE(truncated.truncated);
  EXPECT_EQ(truncated.title, Texts{"ok"});
}

TEST(Id3v2Sizes, HostileCountsAreBounded) {
  // A list of 5000 one-byte values is more than the reader keeps; the
  // frames behind it are still read.
  ByteVector values{0};
  for (int i = 0; i < 5000; ++i) values.insert(values.end(), {'1', 0});
  const Id3v2Tag tag = ReadId3v2(Tag(4, Frame(4, "TCON", values) + Frame(4, "TIT2", Latin1("t"))));
  EXPECT_TRUE(tag.genre_text.empty());
  EXPECT_EQ(tag.title, Texts{"t"});
  ASSERT_EQ(tag.unread.size(), 1u);
  EXPECT_EQ(tag.unread[0].issue, FrameIssue::kNotRead);
  // Only the first 1024 frames left unread are named; the others counted.
  ByteVector empty_frames;
  for (int i = 0; i < 2000; ++i) empty_frames = empty_frames + Frame(2, "TT2", {});
  const Id3v2Tag many = ReadId3v2(Tag(2, empty_frames));
  EXPECT_EQ(many.unread.size() + many.unlisted, 2000u);
  EXPECT_EQ(many.unread.size(), 1024u);
}

TEST(Id3v2Frames, CompressedEncryptedAndUnknownFlagsAreNamed) {
  const Id3v2Tag v23 =
      ReadId3v2(Tag(3, Frame(3, "TIT2", Latin1("zzzz"), 0x0080) + Frame(3, "TPE1", Latin1("e"), 0x0040) +
                           Frame(3, "TALB", Latin1("u"), 0x0001) +
                           Frame(3, "TPE2", ByteVector{7} + Latin1("grouped"), 0x0020)));
  ASSERT_EQ(v23.unread.size(), 3u);
  EXPECT_EQ(v23.unread[0].issue, FrameIssue::kCompressed);
  EXPECT_EQ(v23.unread[1].issue, FrameIssue::kEncrypted);
  EXPECT_EQ(v23.unread[2].issue, FrameIssue::kUnknownFlags);
  EXPECT_EQ(v23.album_artist, Texts{"grouped"});
  const Id3v2Tag v24 =
      ReadId3v2(Tag(4, Frame(4, "TIT2", Latin1("z"), 0x0008) + Frame(4, "TPE1", Latin1("e"), 0x0004)));
  EXPECT_EQ(v24.unread[0].issue, FrameIssue::kCompressed);
  EXPECT_EQ(v24.unread[1].issue, FrameIssue::kEncrypted);
}

TEST(Id3v2Frames, PicturesWithTheirImageSizes) {
  const ByteVector gif = Of("GIF89a") + ByteVector{0x20, 0x01, 0x10, 0x00, 0, 0};
  const Id3v2Tag tag = ReadId3v2(Tag(
      3, Frame(3, "APIC",
               ByteVector{0} + Of("image/png") + ByteVector{0, 3} + Of("front") + ByteVector{0} + kPng) +
             Frame(3, "APIC", ByteVector{1} + Of("image/jpeg") + ByteVector{0, 4, 0xFF, 0xFE, 0, 0} + kJpeg) +
             Frame(3, "APIC", ByteVector{0} + Of("image/gif") + ByteVector{0, 0, 0} + gif) +
             Frame(3, "APIC", ByteVector{0} + Of("x") + ByteVector{0, 0, 0} + Of("not an image"))));
  ASSERT_EQ(tag.pictures.size(), 4u);
  EXPECT_EQ(tag.pictures[0].type, 3);
  EXPECT_EQ(tag.pictures[0].mime, "image/png");
  EXPECT_EQ(tag.pictures[0].description, "front");
  EXPECT_EQ(tag.pictures[0].data_size, kPng.size());
  ASSERT_TRUE(tag.pictures[0].size);
  EXPECT_EQ(tag.pictures[0].size->width, 640u);
  EXPECT_EQ(tag.pictures[0].size->height, 480u);
  ASSERT_TRUE(tag.pictures[1].size);
  EXPECT_EQ(tag.pictures[1].size->width, 400u);
  EXPECT_EQ(tag.pictures[1].size->height, 300u);
  ASSERT_TRUE(tag.pictures[2].size);
  EXPECT_EQ(tag.pictures[2].size->width, 288u);
  EXPECT_FALSE(tag.pictures[3].size);
  const Id3v2Tag v22 =
      ReadId3v2(Tag(2, Frame(2, "PIC", ByteVector{0} + Of("PNG") + ByteVector{3, 0} + kPng)));
  ASSERT_EQ(v22.pictures.size(), 1u);
  EXPECT_EQ(v22.pictures[0].mime, "PNG");
  EXPECT_EQ(v22.pictures[0].size->height, 480u);
}

TEST(Id3v2Stack, TagsOneBehindAnotherAreAllRead) {
  const ByteVector bytes = Tag(3, Frame(3, "TIT2", Latin1("first")), 0, 5) +
                           Tag(4, Frame(4, "TIT2", Latin1("second"))) + ByteVector{0xFF, 0xFB, 0x90, 0x64};
  const auto tags = ReadId3v2Stack(bytes);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[1].title, Texts{"second"});
  EXPECT_EQ(tags[0].total_size + tags[1].total_size, bytes.size() - 4);
  EXPECT_EQ(ReadId3v2(bytes, tags[0].total_size).header.major, 4);
}

}  // namespace
}  // namespace vtinspect
