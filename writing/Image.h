// The new file, described run by run before a byte of the old file changes.
// A run is either new bytes, held here, or old bytes that the new file
// keeps, at their own offsets or at others: those never pass through this
// buffer. Kept at their offsets they are not written at all, which is what
// makes an edit of the tags of a large file cost a few kilobytes whatever
// the size of its audio; moved, they are streamed from the old file by the
// file layer (CommitContent), so memory stays small at any size.
//
// A write at the position overwrites and, past the end, extends; the
// position ends behind what was written. Writes land in new bytes only. The
// held buffer is not zero-filled when it grows, so reserving room for
// 100 MiB of audio that moves costs no 100 MiB memset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace vomtrail {

class ByteReader;

struct ImageRun {
  std::size_t start = 0;   // offset in the new file
  std::size_t length = 0;  // bytes
  bool kept = false;       // old bytes, else new bytes
  std::size_t from = 0;    // old bytes: their offset in the old file
  std::size_t heldAt = 0;  // new bytes: where they start in the held buffer
};

class Image {
 public:
  // Makes room for at least capacity new bytes at once, keeping what is there.
  void Reserve(std::size_t capacity);

  // Extends or overwrites count new bytes at the position and returns them
  // for the caller to fill (a copy straight from the file, say).
  std::span<std::uint8_t> Claim(std::size_t count);

  // Appends count bytes that the old file holds from offset from.
  void Keep(std::size_t count, std::size_t from);

  void Write(std::span<const std::uint8_t> bytes);
  void Write(std::string_view text);
  void WriteByte(std::uint8_t byte);
  void WriteLittleEndian32(std::uint32_t value);

  void Seek(std::size_t position) { pos_ = position; }
  std::size_t Position() const { return pos_; }
  std::size_t Length() const { return length_; }

  // The runs in file order; adjacent runs of one kind are merged.
  std::span<const ImageRun> Runs() const { return runs_; }
  std::span<const std::uint8_t> Held(const ImageRun& run) const {
    return {data_.get() + run.heldAt, run.length};
  }

 private:
  ImageRun* RunAt(std::size_t position);

  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t capacity_ = 0;
  std::size_t held_ = 0;  // new bytes in data_
  std::size_t length_ = 0;
  std::size_t pos_ = 0;
  std::vector<ImageRun> runs_;
};

// Takes count bytes of the source, from its position, into the image at the
// image's end, as old bytes: never read here. The source must be the file
// the image will be written over, and must hold them.
void CarryOver(ByteReader& source, Image& image, std::size_t count);

}  // namespace vomtrail
