// A positioned reader over a File with one read-ahead window, so that the
// scans of the reading and writing paths (to a sync byte, to a "data"
// chunk) cost a system call per window, not per byte. The window starts at
// 4 KiB, which holds the probe, the frame header and the Xing header of a
// typical file in one read, and doubles while a scan keeps reading on, up to
// 64 KiB, so a megabyte of tag padding costs about twenty reads.
//
// Why no larger: past the first 4 KiB, which the reader holds itself, the
// window is new memory in every call (the module keeps nothing between
// calls). Up to this size the allocator serves it from the
// heap the process already holds; a larger block is mapped fresh from the
// system for each call (glibc does so from 128 KiB, and gives back a heap
// top of that size on free), and mapping and first touching its pages cost
// several times more than the reads a larger window saves: a 1 MiB scan
// took 3.2 ms with windows growing to 1 MiB, 0.09 ms with 64 KiB ones.
//
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "File.h"

namespace vomtrail {

class ByteReader {
 public:
  explicit ByteReader(File& file);
  ByteReader(const ByteReader&) = delete;  // the window may point into the reader itself
  ByteReader& operator=(const ByteReader&) = delete;

  std::int64_t Size() const { return size_; }
  std::int64_t Position() const { return pos_; }

  void Seek(std::int64_t position);
  void Skip(std::int64_t count) { Seek(pos_ + count); }

  std::uint8_t ReadByte();
  void Read(std::span<std::byte> out);
  void Read(std::span<std::uint8_t> out) { Read(std::as_writable_bytes(out)); }
  std::uint32_t ReadLittleEndian32();

  // Moves the position to the first byte equal to value at or after it,
  // without reading that byte; false, the position then at or past the end,
  // when the rest of the file holds none. The scans look for their next
  // candidate this way, a window at a time, instead of a call per byte.
  bool FindByte(std::uint8_t value);

  // Reads the window from `position` on now (as far as the file and the
  // window size go), so that later reads of bytes in it cost no call: a
  // caller about to read two places near each other reads both with one
  // call. The position stays where it is.
  void FillFrom(std::int64_t position);

 private:
  static constexpr std::size_t kFirstWindow = 4096;
  static constexpr std::size_t kLargestWindow = 64 * 1024;

  void FillAt(std::int64_t position);

  File& file_;
  std::int64_t size_;
  std::int64_t pos_ = 0;
  // The first window lives in the reader itself, so a call whose reads fit
  // in it allocates nothing; a window that grows beyond moves to the heap.
  // Neither is zero-filled: only read bytes are used.
  std::array<std::byte, kFirstWindow> firstWindow_;
  std::unique_ptr<std::byte[]> grownWindow_;
  std::byte* window_ = firstWindow_.data();
  std::size_t windowCapacity_ = firstWindow_.size();
  std::int64_t windowStart_ = 0;
  std::size_t windowLength_ = 0;
  std::size_t windowSize_ = kFirstWindow;
};

}  // namespace vomtrail
