// What the command foretells of the module's write and checks afterwards:
// the module's rules for the audio, the bytes it writes, and the compare of
// a file read back. The real module writes each file here, so that the
// foretelling is checked against what the module does.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "FileBuilder.h"
#include "Record.h"
#include "Vomtrail.h"
#include "edits/ModuleOutput.h"
#include "edits/WriteCheck.h"
#include "system/ModuleCalls.h"

namespace vthost {
namespace {

using vtinspect::testing::FileBuilder;

// A file of this test's own, removed afterwards.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& bytes)
      : path_(::testing::TempDir() + "vt-writecheck-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  Str255 Name() const {
    Str255 name{};
    name.Length = static_cast<std::uint8_t>(path_.size());
    std::copy(path_.begin(), path_.end(), name.Text);
    return name;
  }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  std::string path_;
};

// 300 bytes of MPEG-1 Layer III frames behind an ID3v2 tag, with an
// ID3v1 block.
std::string BareStream() {
  std::string frames;
  for (int i = 0; i < 300; ++i) frames += static_cast<char>(i % 2 == 0 ? 0xFF : i);
  return std::string("ID3\x03\0\0\0\0\0\x02xx", 12) + frames + "TAG" + std::string(125, ' ');
}

TagInfo Record(int kind) {
  TagInfo info = FreshRecord();
  info.FileKind = static_cast<std::uint8_t>(kind);
  info.TagKind = VT_TAG_ID3V11;
  info.Track = 300;  // the low byte is written
  Store(info.Items[VT_ITEM_TITLE], std::string(35, 't'));
  Store(info.Items[VT_ITEM_COMMENT], "comment");
  info.Items[VT_ITEM_GENRE] = Str255{0, {17}};
  Store(info.Items[InfoItemOf("INAM")], std::string("  Title \0rest\x01 ", 15));
  Store(info.Items[InfoItemOf("ICOP")], "(c)");
  Store(info.Items[VT_ITEM_ISFT], "ignored");
  return info;
}

TEST(ModuleOutput, TheBlockAndTheTextsAsTheModuleWritesThem) {
  const std::string block = Id3v1BlockFor(Record(VT_KIND_MPEG));
  EXPECT_EQ(block.size(), kId3v1BlockSize);
  EXPECT_EQ(block.substr(0, 33), "TAG" + std::string(30, 't'));
  EXPECT_EQ(block.substr(97, 28), "comment" + std::string(21, ' '));
  EXPECT_EQ(block.substr(125), std::string("\0\x2C\x11", 3));
  const auto texts = InfoTextsFor(Record(VT_KIND_MPEG));
  EXPECT_EQ(texts[InfoItemOf("INAM")], "Title");
  EXPECT_EQ(texts[VT_ITEM_ISFT], "Vom Trail!");
}

TEST(ModuleOutput, TheModulesSearchForTheDataChunkSkipsThreeBytesWithEveryD) {
  const auto search = [](const std::string& bytes) {
    vtinspect::MemoryBytes source(bytes);
    return ModuleDataSearch(source, bytes.size());
  };
  EXPECT_EQ(search("xxdata"), 2u);
  EXPECT_EQ(search("ddata...data"), 8u);  // the first 'd' takes "dat" along
  EXPECT_EQ(search("metadatadata"), 4u);
  EXPECT_FALSE(search("dat"));
}

// The module writes each form from each kind; what the command foretold
// and what it checks must match the file.
TEST(ModuleOutput, ForetoldLengthAndCheckMatchTheModulesWrite) {
  ASSERT_EQ(LoadModule(), "");
  for (const int mode : {VT_MODE_MP3, VT_MODE_RMP3}) {
    SCOPED_TRACE(mode);
    const ScratchFile file(BareStream());
    TagInfo info = Record(VT_KIND_MPEG);
    const std::string old = BareStream();
    vtinspect::MemoryBytes before(old);
    const auto audio = ModuleAudio(before, VT_KIND_MPEG);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->size, old.size() - kId3v1BlockSize);
    const WriteOutcome outcome = PredictWrite(info, mode, *audio);
    const ExpectedFile expected{mode,
                                outcome.length,
                                audio->size,
                                *AudioDigest(before, audio->offset, audio->size),
                                Id3v1BlockFor(info),
                                InfoTextsFor(info),
                                {}};
    const Str255 name = file.Name();
    ASSERT_EQ(CallSetInfo(name, info, mode), VT_OK);
    const std::string written = file.Read();
    EXPECT_EQ(written.size(), outcome.length);
    EXPECT_EQ(outcome.audioMoves, mode == VT_MODE_RMP3);
    vtinspect::MemoryBytes after(written);
    EXPECT_EQ(Differences(after, expected), std::vector<std::string>{});
  }
}

TEST(WriteCheck, EachDifferenceIsNamed) {
  ASSERT_EQ(LoadModule(), "");
  const ScratchFile file(BareStream());
  TagInfo info = Record(VT_KIND_MPEG);
  const Str255 name = file.Name();
  ASSERT_EQ(CallSetInfo(name, info, VT_MODE_RMP3), VT_OK);
  const std::string written = file.Read();
  const std::string old = BareStream();
  vtinspect::MemoryBytes original(old);
  ExpectedFile expected{VT_MODE_RMP3,        written.size(),     300 + 12, *AudioDigest(original, 0, 312),
                        Id3v1BlockFor(info), InfoTextsFor(info), {}};
  const auto check = [&](const std::string& bytes) {
    vtinspect::MemoryBytes source(bytes);
    return Differences(source, expected);
  };
  std::string swapped = written;
  std::swap(swapped[100], swapped[101]);
  EXPECT_EQ(check(swapped),
            std::vector<std::string>{"the audio's bytes are not those of the file before the write"});
  std::string retitled = written;
  retitled[retitled.size() - 125] = 'x';
  EXPECT_EQ(check(retitled),
            std::vector<std::string>{"the ID3v1 block in the IID3 chunk is not the one written"});
  expected.infoTexts[InfoItemOf("ICOP")] = "other";
  EXPECT_EQ(check(written),
            std::vector<std::string>{"the INFO ICOP text behind the audio is not the one written"});
  expected.mode = VT_MODE_MP3;
  EXPECT_EQ(check(written), std::vector<std::string>{"the file is not a bare MPEG stream"});
  expected.mode = VT_MODE_WAVE;
  EXPECT_EQ(check(written), std::vector<std::string>{"the file is not a RIFF WAVE file"});
  // Bytes another program appends after the write are not the write's.
  expected.mode = VT_MODE_RMP3;
  expected.infoTexts = InfoTextsFor(info);
  const std::string grown = written + "appended";
  vtinspect::MemoryBytes source(grown);
  const WrittenCheck after = CheckWritten(source, expected);
  EXPECT_EQ(after.differences, std::vector<std::string>{});
  EXPECT_EQ(after.addedSince, 8u);
}

}  // namespace
}  // namespace vthost
