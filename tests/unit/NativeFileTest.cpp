// The operating system's file layer (POSIX natively, Win32 under Wine): the
// error codes it reports and the sharing rules, on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include "ByteBuilder.h"
#include "FileName.h"
#include "GetInfo.h"
#include "IoError.h"
#include "MemoryFileSystem.h"
#include "SetInfo.h"

namespace vomtrail {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

class NativeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vt-native-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Make(const std::string& name, const Bytes& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }

  static std::uint32_t OpenCode(const std::string& path, OpenMode mode) {
    try {
      NativeFileSystem().Open(path.c_str(), mode);
      return 0;
    } catch (const IoError& e) {
      return e.Code();
    }
  }

  fs::path dir_;
};

TEST_F(NativeFile, MissingFileAndMissingFolderAreTold) {
  EXPECT_EQ(OpenCode((dir_ / "none.mp3").string(), OpenMode::ReadShared), 2u);
  EXPECT_EQ(OpenCode((dir_ / "no-folder" / "none.mp3").string(), OpenMode::ReadShared), 3u);
  EXPECT_EQ(OpenCode((dir_ / "none.mp3").string(), OpenMode::ReadWriteExclusive), 2u);
}

TEST_F(NativeFile, AFolderIsNoFile) { EXPECT_EQ(OpenCode(dir_.string(), OpenMode::ReadShared), 5u); }

TEST_F(NativeFile, ReadersShareAndAWriterExcludesEveryone) {
  const std::string path = Make("a.mp3", Bytes(1000, 0xFF));
  auto reader = NativeFileSystem().Open(path.c_str(), OpenMode::ReadShared);
  EXPECT_EQ(OpenCode(path, OpenMode::ReadShared), 0u);
  EXPECT_EQ(OpenCode(path, OpenMode::ReadWriteExclusive), 32u);
  reader.reset();
  auto writer = NativeFileSystem().Open(path.c_str(), OpenMode::ReadWriteExclusive);
  EXPECT_EQ(OpenCode(path, OpenMode::ReadShared), 32u);
  EXPECT_EQ(OpenCode(path, OpenMode::ReadWriteExclusive), 32u);
  writer->Close();
  EXPECT_EQ(OpenCode(path, OpenMode::ReadWriteExclusive), 0u);
}

TEST_F(NativeFile, ReadsWritesAndCutsExactly) {
  const std::string path = Make("b.bin", Bytes{1, 2, 3, 4, 5});
  auto file = NativeFileSystem().Open(path.c_str(), OpenMode::ReadWriteExclusive);
  EXPECT_EQ(file->Size(), 5);
  std::byte buf[8]{};
  EXPECT_EQ(file->ReadAt(3, buf), 2u);
  EXPECT_EQ(file->ReadAt(9, buf), 0u);
  file->Reserve(5, 95);
  EXPECT_EQ(file->Size(), 5) << "space is taken, the length stays";
  EXPECT_EQ(fs::file_size(path), 5u);
  const std::byte data[3] = {std::byte{9}, std::byte{8}, std::byte{7}};
  file->WriteAt(1, data);
  file->Truncate(4);
  file->Close();
  EXPECT_EQ(fs::file_size(path), 4u);
  std::ifstream in(path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, std::string("\x01\x09\x08\x07", 4));
}

TEST_F(NativeFile, SetInfoThenGetInfoOnARealFile) {
  const std::string path = Make("c.mp3", testing::ByteBuilder().Raw({0xFF, 0xFB, 0x90, 0x64}).PadTo(3000));
  TagInfo info{};
  GetFileInfo(NativeFileSystem(), path.c_str(), info);
  testing::SetItem(info, VT_ITEM_TITLE, "On disk");
  info.TagKind = 1;
  info.Track = 5;
  ASSERT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 1), 0u);
  TagInfo back{};
  GetFileInfo(NativeFileSystem(), path.c_str(), back);
  EXPECT_EQ(back.FileKind, 1);
  EXPECT_EQ(back.Track, 5);
  EXPECT_EQ(testing::ItemText(back, VT_ITEM_TITLE).substr(0, 7), "On disk");
  ASSERT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), back, 0), 0u);
  EXPECT_EQ(fs::file_size(path), 3128u);
}

// A bare stream of a few KiB, read and retitled: ready for SetFileInfo.
TagInfo ReadForEdit(const std::string& path) {
  TagInfo info{};
  GetFileInfo(NativeFileSystem(), path.c_str(), info);
  testing::SetItem(info, VT_ITEM_TITLE, "Moved");
  return info;
}

std::string Content(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Everything in the folder but the names given: what a write left behind.
std::vector<std::string> Others(const fs::path& dir, std::initializer_list<std::string> names) {
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(dir))
    if (std::find(names.begin(), names.end(), entry.path().filename().string()) == names.end())
      others.push_back(entry.path().filename().string());
  return others;
}

const Bytes kBare = testing::ByteBuilder().Raw({0xFF, 0xFB, 0x90, 0x64}).PadTo(5000, 0x11);

TEST_F(NativeFile, AHardLinkedFileIsWrittenInPlaceAndBothNamesSeeIt) {
  const std::string path = Make("a.mp3", kBare);
  fs::create_hard_link(path, dir_ / "b.mp3");
  EXPECT_EQ(MovingWriteWay(path.c_str()), InPlaceReason::HardLinks);
  TagInfo info = ReadForEdit(path);
  ASSERT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 1), 0u);
  EXPECT_EQ(Content(dir_ / "b.mp3"), Content(path)) << "still one file under two names";
  EXPECT_EQ(Content(path).substr(0, 4), "RIFF");
  EXPECT_TRUE(Others(dir_, {"a.mp3", "b.mp3"}).empty());
}

#ifndef _WIN32
ino_t InodeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_ino;
}

TEST_F(NativeFile, AMovingWriteMakesANewFileWithTheOldOnesModeOwnerAndAttributes) {
  const std::string path = Make("c.mp3", kBare);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 1234, 2345), 0);
  }
  const bool xattrs = ::setxattr(path.c_str(), "user.vomtrail.test", "kept", 4, 0) == 0;
  const ino_t before = InodeOf(path);
  EXPECT_EQ(MovingWriteWay(path.c_str()), InPlaceReason::None);
  TagInfo info = ReadForEdit(path);
  ASSERT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 1), 0u);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_NE(st.st_ino, before) << "a new file took the old one's place";
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 2345u);
  }
  if (xattrs) {
    char value[8] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.vomtrail.test", value, sizeof value), 4);
    EXPECT_EQ(std::string(value), "kept");
  }
  EXPECT_EQ(Content(path).substr(0, 4), "RIFF");
  EXPECT_TRUE(Others(dir_, {"c.mp3"}).empty());
}

TEST_F(NativeFile, AMovingWriteCanKeepTheOldFileItselfUnderASecondName) {
  const std::string path = Make("k.mp3", kBare);
  const std::string kept = (dir_ / "k.mp3.orig").string();
  const ino_t before = InodeOf(path);
  TagInfo info = ReadForEdit(path);
  ASSERT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 1, kept.c_str()), 0u);
  EXPECT_EQ(InodeOf(kept), before) << "the backup is the old file, not a copy";
  EXPECT_EQ(Content(kept), Content(Make("expected", kBare)));
  EXPECT_EQ(Content(path).substr(0, 4), "RIFF");
  // A name that is taken, and a file no new one can stand in for (two
  // names), keep nothing and change nothing.
  const std::string rmp3 = Content(path);
  info = ReadForEdit(path);
  EXPECT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 0, kept.c_str()), 50u);
  fs::create_hard_link(path, dir_ / "second");
  EXPECT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 1, (dir_ / "other").string().c_str()), 50u);
  EXPECT_EQ(Content(path), rmp3);
  EXPECT_EQ(InodeOf(kept), before);
  EXPECT_TRUE(Others(dir_, {"k.mp3", "k.mp3.orig", "expected", "second"}).empty());
}

TEST_F(NativeFile, ASymlinkStaysALinkAndItsTargetIsReplaced) {
  fs::create_directories(dir_ / "music");
  const std::string target = Make("music/d.mp3", kBare);
  const fs::path link = dir_ / "d-link.mp3";
  fs::create_symlink("music/d.mp3", link);
  TagInfo info = ReadForEdit(link.string());
  ASSERT_EQ(SetFileInfo(NativeFileSystem(), link.string().c_str(), info, 1), 0u);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "music/d.mp3");
  EXPECT_EQ(Content(target).substr(0, 4), "RIFF");
  EXPECT_TRUE(Others(dir_ / "music", {"d.mp3"}).empty());
  EXPECT_TRUE(Others(dir_, {"music", "d-link.mp3"}).empty());
}

TEST_F(NativeFile, ANewFileLeftByAKilledWriterIsRemovedByTheNextMovingWrite) {
  const std::string path = Make("e.mp3", kBare);
  Make(".e.mp3.0123abcd.vomtrail", Bytes(100, 1));  // what a kill leaves
  Make(".e.mp3.notours", Bytes(10, 2));             // no name of ours: stays
  TagInfo info = ReadForEdit(path);
  ASSERT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 1), 0u);
  EXPECT_EQ(Others(dir_, {"e.mp3"}), std::vector<std::string>{".e.mp3.notours"});
}

TEST_F(NativeFile, AWriteThatWouldMakeTheFile2GiBOrLongerIsRefusedBeforeAnythingChanges) {
  // 2^31 - 1 bytes, sparse: a frame header, a hole. Mode 0 would add 128
  // bytes, mode 1 a RIFF head and tags.
  const std::string path = Make("f.mp3", Bytes{0xFF, 0xFB, 0x90, 0x64});
  const std::uintmax_t size = 0x7FFFFFFF;
  fs::resize_file(path, size);
  for (std::uint8_t mode : {std::uint8_t{0}, std::uint8_t{1}}) {
    TagInfo info{};
    info.FileKind = VT_KIND_MPEG;
    EXPECT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, mode), 223u);
    EXPECT_EQ(fs::file_size(path), size);
  }
  EXPECT_TRUE(Others(dir_, {"f.mp3"}).empty());
}

// Disk blocks a file takes, in 512-byte units.
long long BlocksOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return static_cast<long long>(st.st_blocks);
}

TEST_F(NativeFile, AnInPlaceEditOfASparseFileLeavesItsHolesAlone) {
  // 256 MiB of hole between a frame header and the end; with and without a
  // trailing block (the edit writes over it, or grows the file by one).
  for (const bool tagged : {true, false}) {
    const std::string path = Make(tagged ? "t.mp3" : "u.mp3", Bytes{0xFF, 0xFB, 0x90, 0x64});
    const std::uintmax_t size = std::uintmax_t{256} << 20;
    fs::resize_file(path, size);
    if (tagged) {
      auto file = NativeFileSystem().Open(path.c_str(), OpenMode::ReadWriteExclusive);
      const Bytes block = testing::Id3v1Block("Old", "", "", "", "", -1, 0);
      file->WriteAt(static_cast<std::int64_t>(size - 128), std::as_bytes(std::span(block)));
      file->Close();
    }
    const long long blocksBefore = BlocksOf(path);
    ASSERT_LT(blocksBefore, 1024) << "the file system makes no holes";
    TagInfo info{};
    GetFileInfo(NativeFileSystem(), path.c_str(), info);
    testing::SetItem(info, VT_ITEM_TITLE, "Sparse");
    ASSERT_EQ(SetFileInfo(NativeFileSystem(), path.c_str(), info, 0), 0u);
    EXPECT_EQ(fs::file_size(path), tagged ? size : size + 128);
    EXPECT_LT(BlocksOf(path), blocksBefore + 64) << (tagged ? "tagged" : "untagged");
    TagInfo back{};
    GetFileInfo(NativeFileSystem(), path.c_str(), back);
    EXPECT_EQ(testing::ItemText(back, VT_ITEM_TITLE), "Sparse");
  }
}
#endif

TEST(FileName, CopiesTheCountedTextAndRefusesEmptyOrEmbeddedZeros) {
  Str255 name{};
  name.Length = 255;
  std::fill(std::begin(name.Text), std::end(name.Text), 'n');
  const PathBuffer path = CopyFileName(name);
  EXPECT_EQ(std::string(path.data()).size(), 255u);
  name.Length = 0;
  EXPECT_THROW(CopyFileName(name), IoError);
  name.Length = 3;
  name.Text[1] = 0;
  try {
    CopyFileName(name);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.Code(), 123u);
  }
}

}  // namespace
}  // namespace vomtrail
