// A file's first and last bytes, read once and served from memory. The
// probe, the tag readers and the length rules all ask for bytes near the two
// ends of a file, and each question should not cost a read of its own; what
// lies between (the audio, when its frames are counted) is read through.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ByteSource.h"

namespace vtinspect {

class HeadAndTail final : public ByteSource {
 public:
  // Reads up to `head` bytes from the start and `tail` from the end; a file
  // no longer than both together is read whole.
  HeadAndTail(ByteSource& file, std::size_t head, std::size_t tail);
  std::uint64_t Size() const override { return size_; }
  std::string Read(std::uint64_t offset, std::size_t count) override;
  std::size_t ReadInto(std::uint64_t offset, char* out, std::size_t count) override;

 private:
  // The bytes [offset, offset + count) when the head or the tail holds them.
  std::optional<std::string_view> Held(std::uint64_t offset, std::size_t count) const;

  ByteSource& file_;
  std::uint64_t size_;
  std::string head_, tail_;
  std::uint64_t tailStart_ = 0;
};

}  // namespace vtinspect
