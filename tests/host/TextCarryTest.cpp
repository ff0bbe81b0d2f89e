// Texts carried into the record: from the lists behind the audio, across a
// change of form, and out of an ID3v2 tag taken from the audio.
#include <gtest/gtest.h>

#include "Genres.h"
#include "Record.h"
#include "edits/ConversionCarry.h"
#include "edits/InfoCarry.h"

namespace vthost {
namespace {

// The edits of a command line that sets one option.
TagEdits EditsOf(std::optional<std::string> EditOptions::*option, std::string value) {
  EditOptions options;
  options.encoding = "CP1252";
  options.*option = std::move(value);
  return std::get<TagEdits>(PrepareEdits(options));
}

std::string Item(const TagInfo& info, int item) { return std::string(TextOf(info.Items[item])); }

TEST(TextCarry, ListsBehindTheAudioOverWhatTheModuleRead) {
  TagInfo info = FreshRecord();
  Store(info.Items[InfoItemOf("INAM")], "cut by the module");
  Store(info.Items[InfoItemOf("IART")], "kept");
  CarryTailInfo({{"INAM", "first", 100},
                 {"ICOP", "Copyright One", 120},
                 {"INAM", "last", 400},
                 {"ISFT", "other program", 500},
                 {"IID3", "TAG", 600}},
                info);
  EXPECT_EQ(Item(info, InfoItemOf("INAM")), "last");
  EXPECT_EQ(Item(info, InfoItemOf("ICOP")), "Copyright One");
  EXPECT_EQ(Item(info, InfoItemOf("IART")), "kept");
  EXPECT_EQ(Item(info, VT_ITEM_ISFT), "");
}

TEST(TextCarry, InfoTextsToAnMp3FilesId3v1FieldsCutAndReported) {
  TagInfo info = FreshRecord();
  const std::string title = std::string(20, 'e') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  Store(info.Items[InfoItemOf("INAM")], title);
  Store(info.Items[InfoItemOf("IART")], "Info artist");
  Store(info.Items[InfoItemOf("ICRD")], "2024-05-01");
  Store(info.Items[InfoItemOf("IGNR")], "jazz");
  Store(info.Items[InfoItemOf("ICMT")], "Info comment");
  const TagEdits edits = EditsOf(&EditOptions::artist, "Edited");
  ApplyEdits(edits, info);
  const auto warnings = CarryAcrossForms(VT_KIND_WAVE, VT_MODE_MP3, edits, info);
  // 20 + 6 two-byte characters: cut after the fifth, at 30 bytes exactly.
  EXPECT_EQ(Item(info, VT_ITEM_TITLE), std::string(20, 'e') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_EQ(Item(info, VT_ITEM_ARTIST), "Edited");  // the edit wins
  EXPECT_EQ(Item(info, VT_ITEM_YEAR), "2024");
  EXPECT_EQ(Item(info, VT_ITEM_COMMENT), "Info comment");
  EXPECT_EQ(GenreNumber(info), *vtinspect::GenreByName("Jazz"));
  EXPECT_EQ(warnings, (std::vector<std::string>{"the ID3v1 title (from INAM) is cut to 30 bytes",
                                                "the ID3v1 year (from ICRD) is cut to 4 bytes"}));
  EXPECT_EQ(CutToField("\xC3\xA9\xC3\xA9", 3, "CP1252"), "\xC3\xA9");
}

TEST(TextCarry, Id3v1FieldsToTheInfoTextsOfRiffOutputAndOnlyForAConversion) {
  TagInfo info = FreshRecord();
  info.HasTag = 1;
  Store(info.Items[VT_ITEM_TITLE], "Block title   ");
  Store(info.Items[VT_ITEM_ALBUM], "Album");
  info.Items[VT_ITEM_GENRE] = Str255{1, {17}};
  TagInfo same = info;
  EditOptions options;
  options.encoding = "CP1252";
  options.info = {"IPRD=Set by hand"};
  const TagEdits edits = std::get<TagEdits>(PrepareEdits(options));
  ApplyEdits(edits, info);
  EXPECT_TRUE(CarryAcrossForms(VT_KIND_MPEG, VT_MODE_RMP3, edits, info).empty());
  EXPECT_EQ(Item(info, InfoItemOf("INAM")), "Block title");
  EXPECT_EQ(Item(info, InfoItemOf("IPRD")), "Set by hand");
  EXPECT_EQ(Item(info, InfoItemOf("IGNR")), "Rock");
  CarryAcrossForms(VT_KIND_MPEG, VT_MODE_MP3, edits, same);
  EXPECT_EQ(Item(same, InfoItemOf("INAM")), "");
}

TEST(TextCarry, AnId3v2TagsTextsGoWhereTheEditAndTheBlockLeaveRoom) {
  vtinspect::Id3v2Tag tag;
  tag.title = {"A title longer than thirty bytes, as ID3v2 allows"};
  tag.artist = {"One", "Two"};
  tag.date = "1999-12-31";
  tag.comments = {{"eng", "", {"\xE6\x97\xA5\xE6\x9C\xAC"}}};  // not in CP1252
  tag.genres = {{std::nullopt, "Synthpop", vtinspect::GenreMark::kNone}};
  tag.track = {"3/12", 3, 12};
  TagInfo info = FreshRecord();
  info.HasTag = 1;
  Store(info.Items[VT_ITEM_ALBUM], "From the block");
  Store(info.Items[VT_ITEM_COMMENT], std::string(30, 'c'));
  info.Items[VT_ITEM_GENRE] = Str255{1, {vtinspect::kNoGenre}};
  const TagEdits edits = EditsOf(&EditOptions::year, "2001");
  ApplyEdits(edits, info);
  const auto warnings = CarryId3v2Texts(tag, VT_MODE_RMP3, edits, info);
  EXPECT_EQ(Item(info, VT_ITEM_TITLE), "A title longer than thirty byt");
  EXPECT_EQ(Item(info, InfoItemOf("INAM")), "A title longer than thirty bytes, as ID3v2 allows");
  EXPECT_EQ(Item(info, VT_ITEM_ARTIST), "One / Two");
  EXPECT_EQ(Item(info, VT_ITEM_ALBUM), "From the block");
  EXPECT_EQ(Item(info, VT_ITEM_YEAR), "2001");
  EXPECT_EQ(GenreNumber(info), *vtinspect::GenreByName("Synthpop"));
  EXPECT_EQ(Item(info, InfoItemOf("IGNR")), "Synthpop");
  EXPECT_EQ((std::pair{info.TagKind, info.Track}), (std::pair{std::uint8_t{VT_TAG_ID3V11}, 3}));
  EXPECT_EQ(Item(info, VT_ITEM_COMMENT), std::string(28, 'c'));
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "the ID3v1 title (from the ID3v2 title) is cut to 30 bytes",
                          "the ID3v2 comment has characters that CP1252 cannot hold; it is left out",
                          "the ID3v1 comment is cut to 28 bytes (the ID3v2 track takes the rest)"}));
}

}  // namespace
}  // namespace vthost
