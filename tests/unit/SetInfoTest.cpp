// SetInfo: which file each (kind, mode) pair makes, the codes it reports,
// and that a failure before the write pass never changes the file.
#include <gtest/gtest.h>

#include <cstring>

#include "ByteBuilder.h"
#include "GetInfo.h"
#include "MemoryFileSystem.h"
#include "RiffWriter.h"
#include "SampleFiles.h"
#include "SetInfo.h"
#include "Texts.h"

namespace vomtrail {
namespace {

using testing::ByteBuilder;
using testing::Bytes;
using testing::FilledRecord;
using testing::Id3v1Block;
using testing::ItemText;
using testing::MemoryFileSystem;
using testing::SetItem;

TagInfo Record(std::uint8_t kind, std::uint8_t hasTag = 0) { return testing::EditRecord(kind, hasTag); }
Bytes Bare(std::size_t size) { return testing::BareFile(size); }
Bytes Wave(std::uint32_t audio, const Bytes& after = {}) { return testing::WaveFile(audio, after); }
Bytes Rmp3(std::uint32_t audio, const Bytes& after = {}) { return testing::Rmp3File(audio, after); }

struct Written {
  std::uint32_t result;
  Bytes file;
  TagInfo info;
  MemoryFileSystem fs;
};

Written Set(const Bytes& file, TagInfo info, std::uint8_t mode) {
  Written w{0, {}, info, {}};
  w.fs.files["f"] = file;
  w.result = SetFileInfo(w.fs, "f", w.info, mode);
  w.file = w.fs.files["f"];
  EXPECT_EQ(w.fs.openHandles, 0);
  return w;
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}


Bytes Tail(const Bytes& b, std::size_t n) { return {b.end() - static_cast<std::ptrdiff_t>(n), b.end()}; }

TEST(SetInfo, BareFileGetsItsTrailingBlockReplacedOrOneAppended) {
  const Bytes tagged = ByteBuilder().Append(Bare(872)).Append(Id3v1Block("Old", "", "", "", "", -1, 0));
  Written w = Set(tagged, Record(0, 1), 0);
  ASSERT_EQ(w.result, 0u);
  ASSERT_EQ(w.file.size(), 1000u);
  EXPECT_TRUE(std::equal(tagged.begin(), tagged.begin() + 872, w.file.begin()));
  EXPECT_EQ(Tail(w.file, 128), Id3v1Block("New title", "New artist", "", "", "", -1, 13));

  w = Set(Bare(1000), Record(0, 0), 0);
  ASSERT_EQ(w.file.size(), 1128u);
  EXPECT_EQ(Bytes(w.file.begin(), w.file.begin() + 1000), Bare(1000));
}

TEST(SetInfo, BareFileDecidesByItsOwnBytesNotByHasTag) {
  // A stale HasTag of 1 on an untagged file would cut 128 bytes of audio.
  Written w = Set(Bare(1000), Record(0, 1), 0);
  EXPECT_EQ(w.file.size(), 1128u);
  // A stale HasTag of 0 on a tagged file would stack a second block.
  const Bytes tagged = ByteBuilder().Append(Bare(872)).Append(Id3v1Block("Old", "", "", "", "", -1, 0));
  w = Set(tagged, Record(0, 0), 0);
  EXPECT_EQ(w.file.size(), 1000u);
  // A 128-byte file that is only a block becomes the new block alone.
  w = Set(Id3v1Block("Old", "", "", "", "", -1, 0), Record(0, 1), 0);
  EXPECT_EQ(w.file, Id3v1Block("New title", "New artist", "", "", "", -1, 13));
  // A 100-byte file keeps all its bytes.
  w = Set(Bare(100), Record(0, 1), 0);
  EXPECT_EQ(w.result, 0u);
  EXPECT_EQ(w.file.size(), 228u);
}

TEST(SetInfo, Mode1MakesAnRmp3FileFromEveryKind) {
  for (const auto& [kind, file] : {std::pair<std::uint8_t, Bytes>{0, Bare(1000)},
                                   {1, Rmp3(1000, Bytes(500, 'x'))},
                                   {2, Wave(1000, Bytes(300, 'y'))}}) {
    Written w = Set(file, Record(kind), 1);
    ASSERT_EQ(w.result, 0u) << int{kind};
    EXPECT_EQ(std::string(w.file.begin(), w.file.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(w.file.begin() + 8, w.file.begin() + 16), "RMP3data");
    EXPECT_EQ(w.file[16] | w.file[17] << 8, 1000);
    EXPECT_EQ(w.file[20], 0xFF);
    EXPECT_EQ(ItemText(w.info, VT_ITEM_ISFT), "Vom Trail!");
    // Read back: the texts the record held.
    TagInfo back{};
    GetFileInfo(w.fs, "f", back);
    EXPECT_EQ(back.FileKind, 1);
    EXPECT_EQ(ItemText(back, 0), "Name");
    EXPECT_EQ(ItemText(back, VT_ITEM_ISFT), "Vom Trail!");
    EXPECT_EQ(ItemText(back, VT_ITEM_TITLE), "New title" + std::string(21, ' '));
    EXPECT_EQ(back.FileSize, static_cast<std::int32_t>(w.file.size()));
  }
}

TEST(SetInfo, Mode0DropsTheRiffContainer) {
  Written w = Set(Rmp3(1000, Bytes(500, 'x')), Record(1), 0);
  ASSERT_EQ(w.result, 0u);
  ASSERT_EQ(w.file.size(), 1128u);
  EXPECT_EQ(w.file[0], 0xFF);
  w = Set(Rmp3(0, Bytes(50, 'x')), Record(1), 0);
  EXPECT_EQ(w.file.size(), 128u);
  w = Set(Wave(1000, Bytes(300, 'y')), Record(2), 0);
  EXPECT_EQ(w.file.size(), 1128u);
  EXPECT_EQ(w.file[0], 0xFF);
}

TEST(SetInfo, Mode2KeepsTheWaveHeadAndAudioAndReplacesWhatFollows) {
  const Bytes wave = Wave(1001, Bytes(700, 'y'));
  Written w = Set(wave, Record(2), 2);
  ASSERT_EQ(w.result, 0u);
  EXPECT_TRUE(std::equal(wave.begin() + 8, wave.begin() + 44 + 1001, w.file.begin() + 8));
  const std::uint32_t riffSize = std::uint32_t{w.file[4]} | std::uint32_t{w.file[5]} << 8 |
                                 std::uint32_t{w.file[6]} << 16 | std::uint32_t{w.file[7]} << 24;
  EXPECT_EQ(riffSize, w.file.size() - 8);
  EXPECT_EQ(w.file[1045], 0);
  EXPECT_EQ(std::string(w.file.begin() + 1046, w.file.begin() + 1050), "LIST");
  EXPECT_EQ(Tail(w.file, 128)[0], 'T');
  // Shorter than before: the file is cut to the image.
  EXPECT_LT(w.file.size(), wave.size());
}

TEST(SetInfo, WaveDataSearchMatchesTheWholeIdAndSkipsThreeBytesOnAMiss) {
  // 'd' one byte before "data": "dda" fails, the search resumes behind "dat"
  // and so never sees this id; a later "data" is taken.
  const Bytes tricky = ByteBuilder()
                           .Text("RIFF")
                           .Le32(0)
                           .Text("WAVE")
                           .Text("xddata")
                           .Le32(5)
                           .Text("abcxe")
                           .Text("data")
                           .Le32(4)
                           .Text("wxyz");
  Written w = Set(tricky, Record(2), 0);
  ASSERT_EQ(w.result, 0u);
  EXPECT_EQ(std::string(w.file.begin(), w.file.begin() + 4), "wxyz");
}

TEST(SetInfo, WaveDataSearchSkipsThreeBytesAtTheReadWindowsEdgesTooInFewReads) {
  // "ddata" across the window edges: the first 'd' takes "dat" along, so the
  // id behind it is not seen; the later chunk is taken.
  for (std::size_t edge : {std::size_t{4096}, std::size_t{12288}, std::size_t{1} << 20}) {
    for (std::size_t before = 0; before <= 4; ++before) {
      const Bytes wave = ByteBuilder()
                             .Text("RIFF")
                             .Le32(0)
                             .Text("WAVE")
                             .PadTo(edge - before, 'x')
                             .Text("ddata")
                             .Le32(5)
                             .Text("abcxe")
                             .Text("data")
                             .Le32(4)
                             .Text("wxyz");
      Written w = Set(wave, Record(2), 0);
      ASSERT_EQ(w.result, 0u) << edge << " " << before;
      EXPECT_EQ(std::string(w.file.begin(), w.file.begin() + 4), "wxyz") << edge << " " << before;
      EXPECT_LE(w.fs.reads, 24);
    }
  }
}

TEST(SetInfo, CellsThatWriteNothingReport50AndTouchNothing) {
  struct Cell {
    std::uint8_t kind, mode;
    Bytes file;
  };
  const Cell cells[] = {{0, 2, Bare(1000)}, {1, 2, Rmp3(100)},  {0, 3, Bare(1000)},
                        {2, 255, Wave(10)}, {3, 0, Bare(1000)}, {255, 1, Bare(1000)}};
  for (const Cell& c : cells) {
    const TagInfo before = Record(c.kind);
    Written w = Set(c.file, before, c.mode);
    EXPECT_EQ(w.result, 50u);
    EXPECT_EQ(w.file, c.file);
    EXPECT_EQ(std::memcmp(&w.info, &before, sizeof before), 0);
    EXPECT_EQ(w.fs.operations, 0) << "not even opened";
  }
}

TEST(SetInfo, TheFileMustBeTheContainerTheRecordClaims) {
  for (const auto& [kind, file] : {std::pair<std::uint8_t, Bytes>{1, Bare(1000)},
                                   {2, Rmp3(100)},
                                   {1, Wave(100)},
                                   {1, Bytes{'R', 'I', 'F', 'F'}},
                                   {2, Bytes{}}}) {
    Written w = Set(file, Record(kind), 1);
    EXPECT_EQ(w.result, 13u) << int{kind};
    EXPECT_EQ(w.file, file);
  }
}

TEST(SetInfo, DeclaredSizesTheFileDoesNotHoldFailBeforeWriting) {
  const struct {
    std::uint8_t kind;
    Bytes file;
    std::uint32_t code;
  } cases[] = {
      {1, ByteBuilder().Text("RIFF").Le32(0).Text("RMP3").Text("da"), 38},
      {1, ByteBuilder().Text("RIFF").Le32(0).Text("RMP3").Text("data").Le32(5000).PadTo(300), 38},
      {1, ByteBuilder().Text("RIFF").Le32(0).Text("RMP3").Text("data").Le32(0x80000000u).PadTo(300), 13},
      {2, ByteBuilder().Text("RIFF").Le32(0).Text("WAVE").Text("fmt ").Le32(0), 13},  // no data chunk
      {2, ByteBuilder().Text("RIFF").Le32(0).Text("WAVE").Text("fmt da"), 38},        // 'd' near the end
      {2, ByteBuilder().Text("RIFF").Le32(0).Text("WAVE").Text("data").Raw({1, 0}), 38},
      {2, ByteBuilder().Text("RIFF").Le32(0).Text("WAVE").Text("data").Le32(0xFFFFFFF0u), 13},
  };
  for (const auto& c : cases) {
    for (std::uint8_t mode : {std::uint8_t{0}, std::uint8_t{1}}) {
      Written w = Set(c.file, Record(c.kind), mode);
      EXPECT_EQ(w.result, c.code);
      EXPECT_EQ(w.file, c.file);
      EXPECT_EQ(w.fs.writes, 0);
    }
  }
}

TEST(SetInfo, AFullDiskLeavesTheFileAsItWas) {
  const Bytes file = Bare(1000);
  MemoryFileSystem fs;
  fs.files["f"] = file;
  fs.diskCapacity = 1100;
  TagInfo info = Record(0);
  EXPECT_EQ(SetFileInfo(fs, "f", info, 0), 112u);
  EXPECT_EQ(fs.files["f"], file);
  EXPECT_EQ(fs.writes, 0);
}

TEST(SetInfo, ASecondWriterOrAReaderMeetsASharingViolation) {
  MemoryFileSystem fs;
  fs.files["f"] = Bare(1000);
  auto held = fs.Open("f", OpenMode::ReadShared);
  TagInfo info = Record(0);
  EXPECT_EQ(SetFileInfo(fs, "f", info, 0), 32u);
  EXPECT_EQ(fs.files["f"], Bare(1000));
}

TEST(SetInfo, EveryFailingFileOperationLeavesTheFileAsItWas) {
  const std::pair<std::uint8_t, Bytes> sources[] = {
      {0, ByteBuilder().Append(Bare(3000)).Append(Id3v1Block("a", "b", "c", "d", "e", 1, 2))},
      {1, Rmp3(3001, ByteBuilder().Text("LIST").Le32(0).Text("INFO"))},
      {2, Wave(3000, Bytes(200, 'z'))},
      {2, Wave(2, Bytes(4000, 'z'))}};
  for (const auto& [kind, file] : sources) {
    for (std::uint8_t mode = 0; mode <= 2; ++mode) {
      if (mode == 2 && kind != 2) continue;
      // The whole run without faults counts the operations and gives the
      // file that every byte written under a fault must come from.
      const Written clean = Set(file, Record(kind), mode);
      const long total = clean.fs.operations;
      for (long k = 0; k < total; ++k) {
        MemoryFileSystem fs;
        fs.files["f"] = file;
        fs.failAt = k;
        fs.failCode = 1117;
        TagInfo info = Record(kind);
        const std::uint32_t result = SetFileInfo(fs, "f", info, mode);
        EXPECT_EQ(result, 1117u) << "kind " << int{kind} << " mode " << int{mode} << " op " << k;
        EXPECT_EQ(fs.openHandles, 0);
        // Old bytes written over are put back, growth cut off; a new file
        // made beside the old one is gone. Only the steps after the new
        // content stands (the folder's flush, the close) leave it new.
        const Bytes& now = fs.files["f"];
        EXPECT_TRUE(now == file || (now == clean.file && k >= total - 2))
            << "kind " << int{kind} << " mode " << int{mode} << " op " << k;
        EXPECT_EQ(fs.files.size(), 1u) << "op " << k;
      }
    }
  }
}

TEST(SetInfo, AnEditThatKeepsTheAudioInPlaceReadsAndWritesOnlyTheNewBytes) {
  const Bytes audio = Bare(200000);
  const Bytes tagged = ByteBuilder().Append(audio).Append(Id3v1Block("Old", "", "", "", "", -1, 0));
  // Record()'s LIST chunk, counted by hand: "INFO" and sixteen 8-byte
  // sub-chunk headers, INAM "Name" with two zeros (6), ISFT "Vom Trail!"
  // with two (12), fourteen empty texts of two zeros each (28), the "IID3"
  // header and its 128-byte block: 4 + 128 + 46 + 8 + 128 = 314 bytes,
  // behind the 8-byte "LIST" header.
  const std::size_t list = 8 + 314;
  const struct {
    std::uint8_t kind, mode;
    Bytes file;
    long writes, written;
  } cases[] = {
      // Only the new block, over the old one or behind the audio.
      {0, 0, tagged, 1, 128},
      {0, 0, audio, 1, 128},
      // The size word, then the pad byte and the tag chunks behind the audio.
      {2, 2, Wave(200001, Bytes(3000, 'y')), 2, static_cast<long>(4 + 1 + list)},
      {1, 1, Rmp3(200000, Bytes(3000, 'y')), 2, static_cast<long>(4 + list)},
      // An RMP3 file whose data chunk id is not "data" gets that word too.
      {1, 1,
       [] {
         Bytes b = Rmp3(200000);
         b[12] = 'x';
         return b;
       }(),
       3, static_cast<long>(4 + 4 + list)},
  };
  for (const auto& c : cases) {
    Written w = Set(c.file, Record(c.kind), c.mode);
    ASSERT_EQ(w.result, 0u) << int{c.kind};
    EXPECT_EQ(w.fs.writes, c.writes) << int{c.kind};
    EXPECT_EQ(w.fs.bytesWritten, c.written) << int{c.kind};
    EXPECT_LT(w.fs.bytesRead, 20000) << "the audio is not read";
    // The audio stands where it stood.
    const std::size_t at = c.kind == 0 ? 0 : c.kind == 1 ? 20 : 44;
    EXPECT_TRUE(std::equal(c.file.begin() + static_cast<std::ptrdiff_t>(at),
                           c.file.begin() + static_cast<std::ptrdiff_t>(at + 200000),
                           w.file.begin() + static_cast<std::ptrdiff_t>(at)));
    if (c.kind != 0) {
      EXPECT_EQ(Le32(w.file, 4), w.file.size() - 8);
    }
    if (c.kind == 1) {
      EXPECT_EQ(std::string(w.file.begin() + 12, w.file.begin() + 16), "data");
    }
  }
}

TEST(SetInfo, ADiskTooSmallForTheGrowthOfAnInPlaceEditLeavesTheFileAsItWas) {
  // Mode 2 grows this WAVE file by its tag chunks, more than the disk holds.
  const Bytes wave = Wave(5000);
  MemoryFileSystem fs;
  fs.files["f"] = wave;
  fs.diskCapacity = static_cast<std::int64_t>(wave.size()) + 100;
  TagInfo info = Record(2);
  EXPECT_EQ(SetFileInfo(fs, "f", info, 2), 112u);
  EXPECT_EQ(fs.files["f"], wave);
  EXPECT_EQ(fs.writes, 0);
}

TEST(SetInfo, TooLargeHeadPlusAudioForKeepHeadFails) {
  // P + D beyond 2^31 - 1: refused before memory is taken for it.
  const Bytes wave =
      ByteBuilder().Text("RIFF").Le32(0).Text("WAVE").Text("data").Le32(0x7FFFFFFFu).PadTo(100);
  Written w = Set(wave, Record(2), 2);
  EXPECT_EQ(w.result, 38u);  // the file does not hold the audio either
  EXPECT_EQ(w.file, wave);
}

}  // namespace
}  // namespace vomtrail
