// An MP3 file's ID3v2 tag kept in step with the text options, and texts
// copied from one tag kind into the others (--from).
#include <gtest/gtest.h>

#include "Record.h"
#include "TagBytes.h"
#include "edits/Id3v2Sync.h"
#include "edits/TagCopy.h"

namespace vthost {
namespace {

using namespace vtinspect::testing;

// A 2.`major` tag: title, a picture of `pictureSize` bytes, artist, and
// `padding` zero bytes; then `audio`.
std::string TaggedFile(int major, std::size_t pictureSize, std::size_t padding, const std::string& audio) {
  const ByteVector picture =
      ByteVector{0} + Of("image/png") + ByteVector{0, 3, 0} + ByteVector(pictureSize, 0x89);
  const ByteVector tag = Tag(major,
                             Frame(major, "TIT2", Latin1("Old title")) + Frame(major, "APIC", picture) +
                                 Frame(major, "TPE1", Latin1("Old artist")),
                             0, padding);
  return std::string(tag.begin(), tag.end()) + audio;
}

Id3v2Sync Plan(const std::string& file, EditOptions options) {
  options.encoding = "CP1252";
  vtinspect::MemoryBytes bytes(file);
  return PlanId3v2Sync(bytes, std::get<TagEdits>(PrepareEdits(options)));
}

// The file as the tag's write leaves it.
std::string Written(const std::string& file, const Id3v2Sync& sync) {
  vtinspect::MemoryBytes old(file);
  WithNewTag now(old, sync);
  return now.Read(0, static_cast<std::size_t>(now.Size()));
}

TEST(Id3v2Sync, ChangesInOnePageGoInPlaceAndARerunFindsNothingToDo) {
  const std::string audio(6000, '\xAA');
  const std::string file = TaggedFile(3, 100, 64, audio);
  EditOptions options;
  options.title = "New";
  options.year = "2024-05-06";  // a 2.3 tag's year has four digits
  const Id3v2Sync sync = Plan(file, options);
  ASSERT_TRUE(sync.Writes()) << sync.leftAlone;
  const TagWrite write = PlanTagWrite(sync, file.size());
  EXPECT_FALSE(write.newFile);
  EXPECT_LT(BytesToWrite(write.plan), sync.newTag.size());  // only the bytes that differ
  const std::string after = Written(file, sync);
  EXPECT_EQ(after.substr(sync.newTag.size()), audio);
  EXPECT_EQ(Id3v2ReadBackDifferences(after, sync.asked), std::vector<std::string>{});
  EXPECT_EQ(sync.asked[1].value, "2024");
  // Killed between this write and the module's, the command runs again on
  // the new tag: it holds the texts already.
  EXPECT_FALSE(Plan(after, options).Writes());
  EXPECT_EQ(Id3v2ReadBackDifferences(file, sync.asked).front(),
            "the ID3v2 title reads \"Old title\", not \"New\"");
}

TEST(Id3v2Sync, ChangesOverSeveralPagesOrAGrownTagGoThroughANewFile) {
  const std::string audio(3000, '\xAA');
  const std::string file = TaggedFile(4, 9000, 100, audio);
  EditOptions options;
  options.title = "New title";  // as long as the old one, but on the other side of the picture:
  options.artist = "New artist";
  const Id3v2Sync spread = Plan(file, options);
  ASSERT_EQ(spread.Growth(), 0u);
  EXPECT_TRUE(PlanTagWrite(spread, file.size()).newFile);

  options.title = std::string(500, 't');
  const Id3v2Sync grown = Plan(file, options);
  const TagWrite write = PlanTagWrite(grown, file.size());
  EXPECT_TRUE(write.newFile && MovesOldBytes(write.plan));
  EXPECT_EQ(PlannedLength(write.plan), file.size() + grown.Growth());
  EXPECT_EQ(Written(file, grown).substr(grown.newTag.size()), audio);
  EXPECT_FALSE(Plan(Written(file, grown), options).Writes());

  options = {};
  options.year = "spring";  // no date a tag holds: left out, and said
  options.track = "0";      // removes the track
  const Id3v2Sync removed = Plan(file, options);
  ASSERT_EQ(removed.asked.size(), 1u);
  EXPECT_EQ(removed.warnings.size(), 1u);
}

TEST(TagCopy, Id3v2TextsGoIntoId3v1AndInfoWithCutsAndGenresNamed) {
  vtinspect::Id3v2Tag tag;
  tag.status = vtinspect::Id3v2Status::kRead;
  tag.title = {"A title of more than thirty bytes"};
  tag.album = {"Tag album"};
  tag.date = "2004-05-06";
  tag.genres = {{std::nullopt, "Home Recording", vtinspect::GenreMark::kNone}};
  tag.comments = {{"deu", "", {"Kommentar"}}, {"eng", "", {"Comment"}}, {"eng", "note", {"x"}}};
  EditOptions options;
  options.encoding = "CP1252";
  options.album = "Edited album";
  const TagEdits edits = std::get<TagEdits>(PrepareEdits(options));
  TagInfo info = FreshRecord();
  ApplyEdits(edits, info);
  const CopyOutcome copied = CopyTexts(TextsOfId3v2(tag), CopySource::kId3v2, VT_MODE_RMP3, edits, info);
  EXPECT_EQ(TextOf(info.Items[VT_ITEM_TITLE]), "A title of more than thirty by");
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("INAM")]), "A title of more than thirty bytes");
  EXPECT_EQ(TextOf(info.Items[VT_ITEM_YEAR]), "2004");
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("ICRD")]), "2004-05-06");
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("ICMT")]), "Comment");
  // The edit's album wins, in ID3v1 and in IPRD, which a RIFF write mirrors it into.
  EXPECT_EQ(TextOf(info.Items[VT_ITEM_ALBUM]), "Edited album");
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("IPRD")]), "");
  EXPECT_EQ(TextOf(info.Items[InfoItemOf("IGNR")]), "Home Recording");
  EXPECT_EQ(GenreNumber(info), 255);  // ID3v1 has no number for it
  EXPECT_EQ(copied.warnings.size(), 2u);
}

}  // namespace
}  // namespace vthost
