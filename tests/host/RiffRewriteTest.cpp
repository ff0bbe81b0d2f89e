// The command's own rewrites of RIFF files, planned on bytes and applied
// here: the list before a WAVE file's audio brought in step with the texts
// behind it, and an ID3v2 tag cut out of a data chunk.
#include <gtest/gtest.h>

#include "FileBuilder.h"
#include "Record.h"
#include "edits/HeadList.h"
#include "edits/Id3v2Strip.h"
#include "platform/ByteOrder.h"

namespace vthost {
namespace {

using vtinspect::testing::FileBuilder;

std::string Apply(const ContentPlan& plan, const std::string& old) {
  std::string result;
  for (const PlannedRun& run : plan) {
    EXPECT_EQ(run.start, result.size());
    result += run.from ? old.substr(static_cast<std::size_t>(*run.from), static_cast<std::size_t>(run.length))
                       : run.bytes;
  }
  return result;
}

std::string Riff(std::string_view form, const FileBuilder& chunks) {
  return FileBuilder()
      .Text("RIFF")
      .Le32(static_cast<std::uint32_t>(4 + chunks.Size()))
      .Text(form)
      .Text(chunks.Get())
      .Get();
}

vtinspect::RiffFacts Walk(const std::string& file) {
  vtinspect::MemoryBytes bytes(file);
  return vtinspect::WalkRiff(bytes);
}

// An ffmpeg-like WAVE file: fmt, LIST INFO with INAM, IART, a text of an id
// the module does not write and ISFT, then `filler` and the audio.
std::string Wave(const FileBuilder& filler, std::string_view title = "FF Title") {
  FileBuilder chunks;
  chunks.Chunk("fmt ", std::string(16, '\x01'));
  chunks.Chunk("LIST", FileBuilder()
                           .Text("INFO")
                           .Chunk("INAM", std::string(title) + '\0')
                           .Chunk("IART", std::string("FF Artist\0", 10))
                           .Chunk("ITRK", std::string("7\0", 2))
                           .Chunk("ISFT", std::string("Lavf\0", 5))
                           .Get());
  chunks.Text(filler.Get());
  chunks.Chunk("data", std::string(1001, '\xAA'));
  return Riff("WAVE", chunks);
}

std::array<std::string, kWrittenInfoIds> Texts(std::string title, std::string artist) {
  std::array<std::string, kWrittenInfoIds> texts;
  texts[VT_ITEM_ISFT] = "Vom Trail!";
  texts[InfoItemOf("INAM")] = std::move(title);
  texts[InfoItemOf("IART")] = std::move(artist);
  return texts;
}

struct Rewritten {
  HeadListPlan plan;
  std::string file;
  vtinspect::RiffFacts facts;
};

Rewritten Rewrite(const std::string& old, const std::array<std::string, kWrittenInfoIds>& texts) {
  const vtinspect::RiffFacts facts = Walk(old);
  Rewritten result{PlanHeadList(std::string_view(old).substr(0, static_cast<std::size_t>(*facts.dataOffset)),
                                old.size(), facts, texts),
                   {},
                   {}};
  result.file = result.plan.content.empty() ? old : Apply(result.plan.content, old);
  result.facts = Walk(result.file);
  return result;
}

std::string TextOf(const vtinspect::RiffFacts& facts, std::string_view id) {
  for (const vtinspect::InfoText& text : facts.headInfo)
    if (text.id == id) return text.bytes;
  return "(none)";
}

std::string AudioOf(const std::string& file, const vtinspect::RiffFacts& facts) {
  return file.substr(static_cast<std::size_t>(*facts.dataOffset), facts.dataSize);
}

TEST(HeadList, NewTextsInPlaceWithJunkTakingUpTheRestOtherIdsKept) {
  const std::string old = Wave(FileBuilder().Chunk("JUNK", std::string(40, '\0')));
  const Rewritten done = Rewrite(old, Texts("T", "A"));
  ASSERT_FALSE(done.plan.content.empty());
  EXPECT_FALSE(MovesOldBytes(done.plan.content));
  EXPECT_EQ(done.file.size(), old.size());
  EXPECT_FALSE(done.facts.damaged);
  EXPECT_EQ(TextOf(done.facts, "INAM"), "T");
  EXPECT_EQ(TextOf(done.facts, "IART"), "A");
  // An id the module does not write, and the program's name, stay as written.
  EXPECT_EQ(TextOf(done.facts, "ITRK"), "7");
  EXPECT_EQ(TextOf(done.facts, "ISFT"), "Lavf");
  EXPECT_EQ(done.facts.chunks[2].id, "JUNK");
  EXPECT_EQ(AudioOf(done.file, done.facts), AudioOf(old, Walk(old)));
  // In step already: nothing to write.
  EXPECT_TRUE(Rewrite(done.file, Texts("T", "A")).plan.content.empty());
}

TEST(HeadList, AGapTooSmallForJunkGoesToTheLastText) {
  // "FF Title" becomes "FF Tit": its sub-chunk two bytes shorter, too few
  // for a JUNK chunk; the last text (ISFT) takes them as zero bytes.
  const std::string old = Wave(FileBuilder());
  const Rewritten done = Rewrite(old, Texts("FF Tit", "FF Artist"));
  ASSERT_FALSE(done.plan.content.empty());
  EXPECT_FALSE(MovesOldBytes(done.plan.content));
  EXPECT_FALSE(done.facts.damaged);
  EXPECT_EQ(done.facts.dataOffset, Walk(old).dataOffset);
  EXPECT_EQ(TextOf(done.facts, "INAM"), "FF Tit");
  EXPECT_EQ(TextOf(done.facts, "ISFT"), "Lavf");
}

TEST(HeadList, ALongerListMovesTheAudioAndLeavesRoom) {
  const std::string old = Wave(FileBuilder());
  const Rewritten done = Rewrite(old, Texts(std::string(300, 't'), "A"));
  EXPECT_TRUE(MovesOldBytes(done.plan.content));
  EXPECT_FALSE(done.facts.damaged);
  EXPECT_EQ(TextOf(done.facts, "INAM"), std::string(300, 't'));
  EXPECT_EQ(AudioOf(done.file, done.facts), AudioOf(old, Walk(old)));
  EXPECT_EQ(vomtrail::LittleEndian32(done.file, 4), done.file.size() - 8);
  // The room behind the list takes the next, longer edit in place, and the
  // head stays short enough for the module's read of the list behind the
  // audio.
  EXPECT_EQ(*done.facts.dataOffset, kModuleReach);
  EXPECT_FALSE(MovesOldBytes(Rewrite(done.file, Texts(std::string(350, 't'), "A")).plan.content));
  // A head too long for that gets 1 KiB.
  const Rewritten longer = Rewrite(done.file, Texts(std::string(600, 't'), "A"));
  EXPECT_TRUE(MovesOldBytes(longer.plan.content));
  ASSERT_EQ(longer.facts.chunks[2].id, "JUNK");
  EXPECT_EQ(longer.facts.chunks[2].size, kHeadListRoom);
}

TEST(HeadList, TextsTheModuleWouldTakeForTheDataChunkAreLeftOut) {
  const std::string old = Wave(FileBuilder().Chunk("JUNK", std::string(64, '\0')));
  const Rewritten done = Rewrite(old, Texts("metadata", "A"));
  EXPECT_EQ(done.plan.leftOut, std::vector<std::string>{"INAM"});
  EXPECT_EQ(TextOf(done.facts, "INAM"), "(none)");
}

TEST(HeadList, ALastTextEndingInDRightBeforeTheDataChunkGetsJunkBehindIt) {
  // The module's search takes three bytes along with every 'd': a 'd' two
  // bytes before "data" would make it skip the id's own 'd'.
  FileBuilder chunks;
  chunks.Chunk("LIST", FileBuilder().Text("INFO").Chunk("INAM", std::string("Old title!\0", 11)).Get());
  chunks.Chunk("data", std::string(100, '\xAA'));
  const Rewritten done = Rewrite(Riff("WAVE", chunks), Texts("Old titled", ""));
  EXPECT_TRUE(MovesOldBytes(done.plan.content));
  EXPECT_EQ(TextOf(done.facts, "INAM"), "Old titled");
  vtinspect::MemoryBytes bytes(done.file);
  EXPECT_EQ(ModuleDataSearch(bytes, done.file.size()), *done.facts.dataOffset - 8);
}

TEST(HeadList, RepeatedIdsAreDroppedAndEmptyTextsRemoved) {
  FileBuilder chunks;
  chunks.Chunk("LIST",
               FileBuilder().Text("INFO").Chunk("INAM", "one").Chunk("ICMT", "c").Chunk("INAM", "two").Get());
  chunks.Chunk("data", "xx");
  const Rewritten done = Rewrite(Riff("WAVE", chunks), Texts("T", ""));
  ASSERT_EQ(done.facts.headInfo.size(), 1u);
  EXPECT_EQ(done.facts.headInfo[0].id, "INAM");
  EXPECT_EQ(done.facts.headInfo[0].bytes, "T");
}

TEST(DataCut, TheTagLeavesTheDataChunkAndTheSizesFollow) {
  for (const std::size_t audioBytes : {1000u, 1001u}) {
    for (const std::size_t tagBytes : {20u, 21u}) {
      SCOPED_TRACE(std::to_string(audioBytes) + " audio bytes behind a " + std::to_string(tagBytes) +
                   "-byte tag");
      const std::string audio = std::string(tagBytes, 'T') + std::string(audioBytes, '\xFF');
      FileBuilder chunks;
      chunks.Chunk("data", audio).Chunk("LIST", FileBuilder().Text("INFO").Chunk("INAM", "x").Get());
      const std::string old = Riff("RMP3", chunks);
      const std::string cut =
          Apply(PlanDataCut(vomtrail::LittleEndian32(old, 4), {20, audio.size()}, old.size(), tagBytes), old);
      const vtinspect::RiffFacts facts = Walk(cut);
      EXPECT_FALSE(facts.damaged);
      EXPECT_EQ(AudioOf(cut, facts), std::string(audioBytes, '\xFF'));
      EXPECT_EQ(vomtrail::LittleEndian32(cut, 4), cut.size() - 8);
      ASSERT_EQ(facts.tailInfo.size(), 1u);
      EXPECT_EQ(facts.tailInfo[0].bytes, "x");
    }
  }
}

}  // namespace
}  // namespace vthost
