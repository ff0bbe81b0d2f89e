// An MP3 file's ID3v2 tag kept in step with the text options, and texts
// copied from one tag kind into the others (--from).
#include <gtest/gtest.h>

#include "Record.h"
#include "TagBytes.h"
#include "edits/Id3v2Sync.h"
#include "edits/TagCopy.h"
#include "edits/WriteCheck.h"

namespace vthost {
namespace {

using namespace vtinspect::testing;

std::string Text(const ByteVector& bytes) { return {bytes.begin(), bytes.end()}; }

// A 2.`major` tag: title, artist, a picture of `pictureSize` bytes, then a
// comment, with `padding` zero bytes; followed by `audio`.
std::string TaggedFile(int major, std::size_t pictureSize, std::size_t padding, const std::string& audio) {
  const ByteVector picture =
      ByteVector{0} + Of("image/png") + ByteVector{0, 3, 0} + ByteVector(pictureSize, 0x89);
  const ByteVector comment = ByteVector{0} + Of("eng") + ByteVector{0} + Of("Old comment");
  return Text(Tag(major,
                  Frame(major, "TIT2", Latin1("Old title")) + Frame(major, "TPE1", Latin1("Old artist")) +
                      Frame(major, "APIC", picture) + Frame(major, "COMM", comment),
                  0, padding)) +
         audio;
}

TagEdits EditsOf(const EditOptions& given) {
  EditOptions options = given;
  options.encoding = "CP1252";
  return std::get<TagEdits>(PrepareEdits(options));
}

Id3v2Sync Plan(const std::string& file, const EditOptions& options) {
  vtinspect::MemoryBytes bytes(file);
  return PlanId3v2Sync(bytes, EditsOf(options));
}

// The file as the plan's write leaves it.
std::string Written(const std::string& file, const Id3v2Sync& sync) {
  vtinspect::MemoryBytes old(file);
  WithNewTag now(old, sync);
  return now.Read(0, static_cast<std::size_t>(now.Size()));
}

TEST(Id3v2Sync, TextOptionsBecomeFramesTheTagsVersionHolds) {
  EditOptions options;
  options.year = "2024-05-06";
  options.track = "3/12";
  options.genre = "17";
  std::vector<std::string> warnings;
  const TagEdits edits = EditsOf(options);
  const auto v23 = Id3v2EditsOf(edits, 3, warnings);
  ASSERT_EQ(v23.size(), 3u);
  EXPECT_EQ(v23[0].value, "2024");  // TYER holds four digits
  EXPECT_EQ(v23[1].value, "3/12");  // the total ID3v1 has no place for
  EXPECT_EQ(v23[2].value, "Rock");
  EXPECT_EQ(Id3v2EditsOf(edits, 4, warnings)[0].value, "2024-05-06");
  EXPECT_TRUE(warnings.empty());

  options.year = "spring";
  options.track = "0";
  options.genre = "255";
  const auto removed = Id3v2EditsOf(EditsOf(options), 3, warnings);
  ASSERT_EQ(removed.size(), 2u);  // the year is left out, and said
  EXPECT_EQ(removed[0].value, "");
  EXPECT_EQ(removed[1].value, "");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("\"spring\" is no date"), std::string::npos);
}

TEST(Id3v2Sync, ATagInOnePageIsWrittenInPlaceAndARerunFindsNothingToDo) {
  const std::string audio(6000, '\xAA');
  const std::string file = TaggedFile(3, 100, 64, audio);
  EditOptions options;
  options.title = "New";
  options.comment = "New comment";
  const Id3v2Sync sync = Plan(file, options);
  ASSERT_TRUE(sync.Writes()) << sync.leftAlone;
  EXPECT_EQ(sync.Growth(), 0u);
  ASSERT_EQ(sync.changes.size(), 2u);
  EXPECT_EQ(sync.changes[0].before + " -> " + sync.changes[0].after, "Old title -> New");

  const TagWrite write = PlanTagWrite(sync, file.size());
  EXPECT_FALSE(write.newFile);
  EXPECT_FALSE(MovesOldBytes(write.plan));
  EXPECT_LT(BytesToWrite(write.plan), sync.newTag.size());  // only the bytes that differ
  const std::string after = Written(file, sync);
  EXPECT_EQ(after.substr(sync.newTag.size()), audio);
  EXPECT_EQ(Id3v2ReadBackDifferences(after, sync.asked), std::vector<std::string>{});

  // Killed after this write and before the module's, the command runs
  // again on the new tag: it holds the texts already.
  const Id3v2Sync again = Plan(after, options);
  EXPECT_TRUE(again.leftAlone.empty());
  EXPECT_FALSE(again.Writes());
}

TEST(Id3v2Sync, FramesShiftedOverPagesOrAGrownTagGoThroughANewFile) {
  const std::string audio(3000, '\xAA');
  const std::string file = TaggedFile(4, 9000, 100, audio);
  EditOptions options;
  options.title = "A title a few bytes longer";  // the picture behind it shifts
  const Id3v2Sync shifted = Plan(file, options);
  ASSERT_EQ(shifted.Growth(), 0u);
  EXPECT_TRUE(PlanTagWrite(shifted, file.size()).newFile);

  options.title = std::string(500, 't');
  const Id3v2Sync grown = Plan(file, options);
  EXPECT_EQ(grown.newTag.size() - grown.oldTag.size(), grown.Growth());
  const TagWrite write = PlanTagWrite(grown, file.size());
  EXPECT_TRUE(write.newFile);
  EXPECT_TRUE(MovesOldBytes(write.plan));
  EXPECT_EQ(PlannedLength(write.plan), file.size() + grown.Growth());
  EXPECT_EQ(Written(file, grown).substr(grown.newTag.size()), audio);
  EXPECT_FALSE(Plan(Written(file, grown), options).Writes());
}

TEST(Id3v2Sync, ATagTheEditorCannotRewriteIsLeftAloneWithTheReason) {
  const ByteVector compressed = Frame(3, "TALB", ByteVector(12, 1), 0x0080);
  const std::string file = Text(Tag(3, Frame(3, "TIT2", Latin1("Old")) + compressed)) + "audio";
  EditOptions options;
  options.title = "New";
  const Id3v2Sync sync = Plan(file, options);
  EXPECT_FALSE(sync.Writes());
  EXPECT_EQ(sync.leftAlone, "frame TALB is compressed");
  EXPECT_EQ(Plan("no tag here", options).major, 0);
}

TEST(Id3v2Sync, TheReadBackNamesATagThatIsNotTheOneWritten) {
  const std::string file = TaggedFile(3, 10, 0, std::string(2000, '\xAA'));
  EditOptions options;
  options.artist = "New artist";
  const Id3v2Sync sync = Plan(file, options);
  vtinspect::MemoryBytes old(file);
  ExpectedFile expected;
  expected.mode = VT_MODE_MP3;
  expected.length = expected.audioSize = file.size();
  expected.audioDigest = *AudioDigest(old, 0, file.size());
  expected.id3v1Block = file.substr(file.size() - kId3v1BlockSize);
  expected.id3v2Tag = sync.newTag;
  expected.id3v2Texts = sync.asked;
  EXPECT_EQ(Differences(old, expected),
            (std::vector<std::string>{"the ID3v2 tag at the start is not the one written",
                                      "the ID3v2 artist reads \"Old artist\", not \"New artist\""}));
}

TEST(TagCopy, Id3v2TextsFillId3v1AndInfoCutAndReportedTextOptionsWin) {
  vtinspect::Id3v2Tag tag;
  tag.status = vtinspect::Id3v2Status::kRead;
  tag.title = {"A title of more than thirty bytes"};
  tag.artist = {"Ärtist", "日本"};
  tag.date = "2004-05-06";
  tag.track = {"7/9", 7, 9};
  tag.genres = {{std::nullopt, "Home Recording", vtinspect::GenreMark::kNone}};
  tag.comments = {{"deu", "", {"Kommentar"}}, {"eng", "", {"Comment"}}, {"eng", "note", {"x"}}};
  EditOptions options;
  options.album = "Edited album";
  const TagEdits edits = EditsOf(options);
  TagInfo info = FreshRecord();
  Store(info.Items[VT_ITEM_ARTIST], "Old artist");
  ApplyEdits(edits, info);
  const CopyOutcome copied = CopyTexts(TextsOfId3v2(tag), CopySource::kId3v2, VT_MODE_RMP3, edits, info);

  EXPECT_EQ(TextOf(info.Items[VT_ITEM_TITLE]), "A title of more than thirty by");
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("INAM")]), "A title of more than thirty bytes");
  EXPECT_EQ(TextOf(info.Items[VT_ITEM_ARTIST]), "\xC4rtist / ??");  // CP1252, '?' for what it lacks
  EXPECT_EQ(TextOf(info.Items[VT_ITEM_ALBUM]), "Edited album");
  EXPECT_EQ(TextOf(info.Items[VT_ITEM_YEAR]), "2004");
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("ICRD")]), "2004-05-06");
  EXPECT_EQ(TextOf(info.Items[VT_ITEM_COMMENT]), "Comment");
  EXPECT_EQ((info.TagKind == VT_TAG_ID3V11) + info.Track, 1 + 7);
  EXPECT_EQ(GenreNumber(info), 255);  // left as it was: ID3v1 has no such genre
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("IGNR")]), "Home Recording");
  EXPECT_EQ(copied.unencodable, std::vector<std::string>{"ID3v2 artist"});
  EXPECT_EQ(copied.warnings,
            (std::vector<std::string>{
                "the ID3v1 title (from the ID3v2 title) is cut to 30 bytes",
                "the ID3v2 genre \"Home Recording\" is none of the ID3v1 genres; the ID3v1 genre "
                "is left as it is"}));
}

TEST(TagCopy, InfoAndId3v1FillEachOtherAndAnMp3FileHasNoInfoToFill) {
  TagInfo info = FreshRecord();
  Store(info.Items[InfoItemOf("INAM")], "Info title");
  Store(info.Items[InfoItemOf("IGNR")], "jazz");
  const TagEdits edits = EditsOf({});
  TagInfo written = info;
  ApplyEdits(edits, written);
  const SourceTexts fromInfo = TextsOfRecord(CopySource::kInfo, info, "CP1252");
  CopyTexts(fromInfo, CopySource::kInfo, VT_MODE_WAVE, edits, written);
  EXPECT_EQ(TextOf(written.Items[VT_ITEM_TITLE]), "Info title");
  EXPECT_EQ(GenreNumber(written), 8);  // Jazz

  TagInfo block = FreshRecord();
  block.HasTag = 1;
  Store(block.Items[VT_ITEM_TITLE], "V1 title   ");
  Store(block.Items[VT_ITEM_GENRE], std::string(1, '\x11'));
  const SourceTexts fromId3v1 = TextsOfRecord(CopySource::kId3v1, block, "CP1252");
  TagInfo riff = block;
  EXPECT_TRUE(CopyTexts(fromId3v1, CopySource::kId3v1, VT_MODE_RMP3, edits, riff).anyTarget);
  EXPECT_EQ(TextOf(riff.Items[InfoItemOf("INAM")]), "V1 title");
  EXPECT_EQ(TextOf(riff.Items[InfoItemOf("IGNR")]), "Rock");
  EXPECT_FALSE(CopyTexts(fromId3v1, CopySource::kId3v1, VT_MODE_MP3, edits, riff).anyTarget);
  EXPECT_FALSE(TextsOfRecord(CopySource::kId3v1, FreshRecord(), "CP1252").present);
}

}  // namespace
}  // namespace vthost
