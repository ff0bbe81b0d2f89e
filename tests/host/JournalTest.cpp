// The undo journal on real files: where the audio lies, what a run keeps,
// an undo that puts the bytes back around the audio wherever it moved, a
// file changed since, a full journal, and the runs kept within the limits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "FileProbe.h"
#include "journal/AudioSpan.h"
#include "journal/JournalStore.h"
#include "journal/RunJournal.h"
#include "journal/Undo.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

// `count` frames of MPEG-1 layer 3 at 128 kbit/s and 44.1 kHz, 417 bytes each.
std::string FrameBytes(std::size_t count) {
  std::string frames;
  for (std::size_t i = 0; i < count; ++i) {
    std::string frame = "\xFF\xFB\x90\x64";
    frame.resize(417, '\x55');
    frames += frame;
  }
  return frames;
}

std::string Id3v1(const std::string& title) {
  std::string block = "TAG" + title;
  block.resize(128, '\0');
  return block;
}

std::string Le32(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("vomtrail-journal-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "state");
#ifdef _WIN32
    ::_putenv_s("LOCALAPPDATA", (folder_ / "state").string().c_str());
#else
    ::setenv("XDG_STATE_HOME", (folder_ / "state").string().c_str(), 1);
#endif
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // One write of new content, journalled as the command journals it.
  static void Rewrite(RunJournal& journal, const fs::path& path, const std::string& bytes,
                      bool moving = false) {
    const int entry = journal.BeforeContent(path, vtinspect::ProbeFile(path), moving);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    journal.AfterContent(entry, path, true);
  }
  static RunRecord Run(int id) { return *ReadRun(*JournalRoot(), id); }

  fs::path folder_;
};

TEST_F(JournalTest, TheAudioOfEachForm) {
  const std::string mp3 = "ID3\x03" + std::string(2, '\0') + std::string("\0\0\0\x14", 4) +
                          std::string(20, '\0') + FrameBytes(3) + Id3v1("T");
  const fs::path bare = Write("a.mp3", mp3);
  const auto span = AudioSpanOf(bare, vtinspect::ProbeFile(bare));
  ASSERT_TRUE(span);
  EXPECT_EQ(span->offset, 30u);
  EXPECT_EQ(span->length, 3u * 417);
  const std::string audio = FrameBytes(2);
  const std::string riff =
      "RIFF" + Le32(4 + 8 + 834 + 8 + 4) + "RMP3" + "data" + Le32(834) + audio + "LIST" + Le32(4) + "INFO";
  const fs::path rmp3 = Write("r.rmp3", riff);
  const auto data = AudioSpanOf(rmp3, vtinspect::ProbeFile(rmp3));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->offset, 20u);
  EXPECT_EQ(data->length, 834u);
  const fs::path text = Write("t.txt", "plain text, no audio");
  EXPECT_FALSE(AudioSpanOf(text, vtinspect::ProbeFile(text)));
}

TEST_F(JournalTest, UndoPutsTheBytesAroundTheAudioBackWhereverItMoved) {
  const std::string before = FrameBytes(3) + Id3v1("Old title");
  const fs::path inPlace = Write("in-place.mp3", before);
  const fs::path moved = Write("moved.mp3", before);
  int id = 0;
  {
    RunJournal journal("test", JournalLimits{});
    id = journal.Id();
    Rewrite(journal, inPlace, FrameBytes(3) + Id3v1("New title"));
    // A tag in front moves the audio; the journal kept no whole file.
    const std::string tag =
        "ID3\x03" + std::string(2, '\0') + std::string("\0\0\0\x0A", 4) + std::string(10, '\0');
    Rewrite(journal, moved, tag + FrameBytes(3) + Id3v1("Other"));
    journal.Finish("2 written");
  }
  ASSERT_NE(id, 0);
  RunJournal undo("undo", JournalLimits{}, id);
  const WriteCounts counts = UndoRun(Run(id), undo);
  EXPECT_EQ(counts.written, 2u);
  EXPECT_EQ(Read(inPlace), before);
  EXPECT_EQ(Read(moved), before);
}

TEST_F(JournalTest, AFileChangedSinceIsLeftAsItIs) {
  const fs::path path = Write("c.mp3", FrameBytes(3) + Id3v1("Old"));
  int id = 0;
  {
    RunJournal journal("test", JournalLimits{});
    id = journal.Id();
    Rewrite(journal, path, FrameBytes(3) + Id3v1("New"));
  }
  std::ofstream(path, std::ios::binary | std::ios::app) << "appended";
  const std::string changed = Read(path);
  RunJournal undo("undo", JournalLimits{}, id);
  const WriteCounts counts = UndoRun(Run(id), undo);
  EXPECT_EQ(counts.refused, 1u);
  EXPECT_EQ(Read(path), changed);
}

TEST_F(JournalTest, AFullJournalKeepsNothingAndBlocksNothing) {
  const fs::path path = Write("f.mp3", FrameBytes(3) + Id3v1("Old"));
  RunJournal journal("test", JournalLimits{200, 30});  // room for the ID3v1 block, not for the file
  const int entry = journal.BeforeContent(path, vtinspect::ProbeFile(path), true);
  EXPECT_NE(entry, 0) << "the bytes around the audio fit";
  const RunRecord run = Run(journal.Id());
  ASSERT_FALSE(run.lines.empty());
  EXPECT_FALSE(run.lines.back().contains("whole")) << "the whole file did not fit";
  RunJournal none("test", JournalLimits{0, 30});
  EXPECT_FALSE(none.Keeping());
  EXPECT_EQ(none.BeforeContent(path, vtinspect::ProbeFile(path), false), 0);
}

TEST_F(JournalTest, RunsAreKeptWithinTheLimitsAndAKilledRunStillReads) {
  const fs::path root = *JournalRoot();
  for (int id = 1; id <= 3; ++id) {
    fs::create_directories(root / std::to_string(id));
    std::ofstream(root / std::to_string(id) / kJournalFile)
        << R"({"type":"run","run":)" << id << R"(,"command":"c)" << id << "\"}\n"
        << std::string(1000, ' ') << "\n";
  }
  // Run 3 was killed in the middle of a line.
  std::ofstream(root / "3" / kJournalFile, std::ios::app) << R"({"type":"content","n":1,"pa)";
  const auto run = ReadRun(root, 3);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->command, "c3");
  EXPECT_TRUE(run->lines.empty());
  EXPECT_TRUE(run->finished.empty());
  // About 1 KB each: a limit of 2500 bytes keeps the newest two.
  PruneRuns(root, JournalLimits{2500, 30});
  EXPECT_EQ(RunIds(root), (std::vector<int>{2, 3}));
  fs::last_write_time(root / "2" / kJournalFile,
                      fs::file_time_type::clock::now() - std::chrono::hours(24 * 40));
  PruneRuns(root, JournalLimits{1u << 30, 30});
  EXPECT_EQ(RunIds(root), (std::vector<int>{3}));
  EXPECT_EQ(NewestRun(root), 3);
}

}  // namespace
}  // namespace vthost
