// The new file, built whole in memory before a byte of the old file changes.
// A write at the position overwrites and, past the end, extends; the
// position ends behind what was written. The buffer is not zero-filled when
// it grows, so reserving room for 100 MiB of audio costs no 100 MiB memset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace vomtrail {

class Image {
 public:
  // Makes room for at least capacity bytes at once, keeping what is there.
  void Reserve(std::size_t capacity);

  // Extends or overwrites count bytes at the position and returns them for
  // the caller to fill (a copy straight from the file, say).
  std::span<std::uint8_t> Claim(std::size_t count);

  void Write(std::span<const std::uint8_t> bytes);
  void Write(std::string_view text);
  void WriteByte(std::uint8_t byte);
  void WriteLittleEndian32(std::uint32_t value);

  void Seek(std::size_t position) { pos_ = position; }
  std::size_t Position() const { return pos_; }
  std::size_t Length() const { return length_; }
  std::span<const std::uint8_t> Bytes() const { return {data_.get(), length_}; }

 private:
  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t capacity_ = 0;
  std::size_t length_ = 0;
  std::size_t pos_ = 0;
};

}  // namespace vomtrail
