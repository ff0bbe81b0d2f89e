// How SetInfo's new content reaches the disk (CommitContent), on files in
// memory: through a new file beside the old one when the audio moves, over
// the tag bytes when it stays; and what a kill, a failure, another writer or
// a stale record leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "MemoryFileSystem.h"
#include "SampleFiles.h"
#include "SetInfo.h"

namespace vomtrail {
namespace {

using testing::Bytes;
using testing::MemoryFileSystem;

struct Edit {
  const char* what;
  std::uint8_t kind, mode;
  Bytes file;
  bool moves;
};

std::vector<Edit> Edits() {
  const Bytes block = testing::Id3v1Block("Old", "", "", "", "", -1, 0);
  const Bytes longList =
      testing::ByteBuilder().Text("LIST").Le32(600).Text("INFO").Repeat('t', 596).Append(block);
  return {
      {"bare edit", 0, 0, testing::ByteBuilder().Append(testing::BareFile(3000)).Append(block), false},
      {"bare edit, block added", 0, 0, testing::BareFile(3000), false},
      {"RMP3 edit, tags shrink", 1, 1, testing::Rmp3File(3001, longList), false},
      {"RMP3 edit, tags grow", 1, 1, testing::Rmp3File(3000, block), false},
      {"WAVE edit", 2, 2, testing::WaveFile(3000, longList), false},
      {"bare -> rmp3", 0, 1, testing::BareFile(3000), true},
      {"rmp3 -> mp3", 1, 0, testing::Rmp3File(3000, longList), true},
      {"wave -> mp3", 2, 0, testing::WaveFile(3001, longList), true},
      {"wave -> rmp3", 2, 1, testing::WaveFile(3000), true},
  };
}

struct Run {
  std::uint32_t result = 0;
  MemoryFileSystem fs;
  Bytes& File() { return fs.files["f"]; }
};

// One SetInfo of the edit on a fresh file system that setup prepares.
std::unique_ptr<Run> Write(const Edit& edit, const std::function<void(MemoryFileSystem&)>& setup = {}) {
  auto run = std::make_unique<Run>();
  run->fs.files["f"] = edit.file;
  if (setup) setup(run->fs);
  TagInfo info = testing::EditRecord(edit.kind);
  run->result = SetFileInfo(run->fs, "f", info, edit.mode);
  EXPECT_EQ(run->fs.openHandles, 0) << edit.what;
  return run;
}

TEST(SafeWrite, AudioThatMovesGoesThroughANewFileThatTakesTheOldOnesPlace) {
  for (const Edit& edit : Edits()) {
    const auto run = Write(edit);
    ASSERT_EQ(run->result, 0u) << edit.what;
    EXPECT_EQ(run->fs.standInsMade, edit.moves ? 1 : 0) << edit.what;
    EXPECT_EQ(run->fs.replaces, edit.moves ? 1 : 0) << edit.what;
    EXPECT_EQ(run->fs.files.size(), 1u) << edit.what;
    // The new file and, after the replace, its folder; or the edited file.
    EXPECT_EQ(run->fs.flushes, edit.moves ? 2 : 1) << edit.what;
    // Where the system cannot copy by itself, the audio passes through
    // memory in blocks: the same file.
    const auto copied = Write(edit, [](MemoryFileSystem& fs) { fs.copiesNatively = false; });
    EXPECT_EQ(copied->File(), run->File()) << edit.what;
  }
}

TEST(SafeWrite, WhereNoNewFileCanStandInTheAudioMovesWithinTheFile) {
  const std::function<void(MemoryFileSystem&)> obstacles[] = {
      [](MemoryFileSystem& fs) { fs.extraLinks["f"] = 1; },
      [](MemoryFileSystem& fs) { fs.folderRefusesNewFiles = true; },
      [](MemoryFileSystem& fs) { fs.refusesReplace = true; },
  };
  for (const Edit& edit : Edits()) {
    const Bytes expected = Write(edit)->File();
    for (const auto& obstacle : obstacles) {
      const auto run = Write(edit, obstacle);
      EXPECT_EQ(run->result, 0u) << edit.what;
      EXPECT_EQ(run->File(), expected) << edit.what;
      EXPECT_EQ(run->fs.replaces, 0) << edit.what;
      EXPECT_EQ(run->fs.files.size(), 1u) << edit.what;
    }
  }
}

TEST(SafeWrite, AKillLeavesTheOldOrNewFileOrOneThatARerunCompletes) {
  for (const Edit& edit : Edits()) {
    const auto clean = Write(edit);
    const Bytes& expected = clean->File();
    for (long k = 0; k < clean->fs.operations; ++k) {
      const auto killed = Write(edit, [k](MemoryFileSystem& fs) { fs.killAt = k; });
      const Bytes state = killed->File();
      if (state == expected) {
        EXPECT_TRUE(killed->fs.LeftStandIns().empty()) << edit.what << " op " << k;
        continue;
      }
      if (edit.moves) {
        ASSERT_EQ(state, edit.file) << edit.what << " op " << k;
      }
      // The same edit again, on what the kill left, a new file it was
      // making included: the new file, and nothing beside it.
      MemoryFileSystem& fs = killed->fs;
      fs.killAt = -1;
      TagInfo info = testing::EditRecord(edit.kind);
      ASSERT_EQ(SetFileInfo(fs, "f", info, edit.mode), 0u) << edit.what << " op " << k;
      EXPECT_EQ(fs.files["f"], expected) << edit.what << " op " << k;
      EXPECT_EQ(fs.files.size(), 1u) << edit.what << " op " << k;
    }
  }
}

TEST(SafeWrite, ADiskWithoutRoomForTheNewFileBesideTheOldFailsWithTheOldIntact) {
  for (const Edit& edit : Edits()) {
    if (!edit.moves) continue;
    const auto clean = Write(edit);
    const auto both = static_cast<std::int64_t>(edit.file.size() + clean->File().size());
    const auto full = Write(edit, [&](MemoryFileSystem& fs) { fs.diskCapacity = both - 1; });
    EXPECT_EQ(full->result, 112u) << edit.what;
    EXPECT_EQ(full->File(), edit.file) << edit.what;
    EXPECT_EQ(full->fs.files.size(), 1u) << edit.what;
    EXPECT_EQ(Write(edit, [&](MemoryFileSystem& fs) { fs.diskCapacity = both; })->result, 0u) << edit.what;
  }
}

TEST(SafeWrite, AFileAnotherProgramAppendsToMeanwhileIsRefusedAndKeepsItsBytes) {
  const Bytes appended(300, 0xA5);
  for (const Edit& edit : Edits()) {
    const std::vector<long> looks = Write(edit)->fs.looks;
    // Every moment but the windows that remain: between a look at the file
    // and the step right after it, and after the last look (the replace,
    // the cut or the last write).
    for (long k = 1; k <= looks.back(); ++k) {
      if (std::find(looks.begin(), looks.end(), k - 1) != looks.end()) continue;
      const auto run = Write(edit, [&, k](MemoryFileSystem& fs) {
        fs.beforeOperation = [&fs, &appended, k](long op) {
          if (op == k) fs.AppendByOther("f", appended);
        };
      });
      EXPECT_EQ(run->result, 32u) << edit.what << " op " << k;
      // The old bytes as they were, the appended ones at the end. (A tail
      // that had grown the file when the append came stays between them.)
      const Bytes& now = run->File();
      ASSERT_GE(now.size(), edit.file.size() + appended.size()) << edit.what << " op " << k;
      EXPECT_TRUE(std::equal(edit.file.begin(), edit.file.end(), now.begin())) << edit.what << " op " << k;
      EXPECT_TRUE(std::equal(appended.begin(), appended.end(), now.end() - 300)) << edit.what << " op " << k;
      EXPECT_EQ(run->fs.files.size(), 1u) << edit.what << " op " << k;
    }
  }
}

TEST(SafeWrite, ARecordThatSaysBareForWhatIsNowARiffFileIsRefused) {
  // The host read a bare stream; another program made it RIFF since.
  const Bytes block = testing::Id3v1Block("Old", "", "", "", "", -1, 0);
  for (const Bytes& riff : {testing::Rmp3File(1000, block), testing::WaveFile(1000, block)}) {
    for (std::uint8_t mode : {std::uint8_t{0}, std::uint8_t{1}}) {
      const auto run = Write({"stale", 0, mode, riff, false});
      EXPECT_EQ(run->result, 13u);
      EXPECT_EQ(run->File(), riff);
      EXPECT_EQ(run->fs.writes, 0);
    }
  }
  // Other RIFF forms are no container of the module's: bytes like any.
  Bytes avi = testing::Rmp3File(1000);
  std::copy_n("AVI ", 4, avi.begin() + 8);
  EXPECT_EQ(Write({"avi", 0, 0, avi, false})->result, 0u);
}

}  // namespace
}  // namespace vomtrail
