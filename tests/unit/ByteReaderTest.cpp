// The reader's byte search, which the scans for a sync byte and for a data
// chunk rest on: every occurrence found, at window edges too, in few reads.
#include <gtest/gtest.h>

#include "ByteReader.h"
#include "MemoryFileSystem.h"

namespace vomtrail {
namespace {

using testing::Bytes;
using testing::MemoryFileSystem;

TEST(ByteReader, FindByteStopsAtEveryOccurrenceAcrossGrowingWindowsInFewReads) {
  // Windows from 0: 4 KiB, then 8, 16, 32, 64 KiB and 64 KiB on, so edges at
  // 4096, 12288, 28672, 61440, 126976, ...; the hits sit on both sides of
  // them and at the very ends.
  const std::size_t size = (1 << 20) + 100;
  const std::vector<std::size_t> hits = {0,     1,     4095,   4096,   12287,   12288,
                                         28671, 61440, 126975, 126976, size - 1};
  Bytes bytes(size, 0xFE);
  for (std::size_t at : hits) bytes[at] = 0xFF;
  MemoryFileSystem fs;
  fs.files["f"] = bytes;
  auto file = fs.Open("f", OpenMode::ReadShared);
  ByteReader reader(*file);
  std::vector<std::size_t> found;
  while (reader.FindByte(0xFF)) {
    found.push_back(static_cast<std::size_t>(reader.Position()));
    EXPECT_EQ(reader.ReadByte(), 0xFF);
  }
  EXPECT_EQ(found, hits);
  EXPECT_GE(reader.Position(), reader.Size());
  EXPECT_LE(fs.reads, 24);
}

TEST(ByteReader, FindByteStartsAtThePositionAfterASeekAndStaysAtAHit) {
  MemoryFileSystem fs;
  fs.files["f"] = Bytes{'d', 'x', 'd', 'x', 'x'};
  auto file = fs.Open("f", OpenMode::ReadShared);
  ByteReader reader(*file);
  reader.Seek(1);
  ASSERT_TRUE(reader.FindByte('d'));
  EXPECT_EQ(reader.Position(), 2);
  ASSERT_TRUE(reader.FindByte('d')) << "a hit is not consumed";
  EXPECT_EQ(reader.Position(), 2);
  reader.Seek(0);
  ASSERT_TRUE(reader.FindByte('d'));
  EXPECT_EQ(reader.Position(), 0);
  reader.Seek(3);
  EXPECT_FALSE(reader.FindByte('d'));
  reader.Seek(99);
  EXPECT_FALSE(reader.FindByte('d')) << "past the end";
}

}  // namespace
}  // namespace vomtrail
