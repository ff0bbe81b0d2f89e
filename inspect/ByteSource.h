// Where the inspection reads a file's bytes from: the file itself, or bytes
// already in memory (the unit tests, the fuzz target, a caller that has the
// file's head and tail read). Every reader of a format asks for pieces by
// offset and copes with a piece that comes back short.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vtinspect {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Up to `count` bytes from `offset`: fewer at the end, none past it.
  virtual std::string Read(std::uint64_t offset, std::size_t count) = 0;
  // The same into the caller's buffer, which a long scan keeps from block
  // to block; gives the bytes read.
  virtual std::size_t ReadInto(std::uint64_t offset, char* out, std::size_t count) {
    const std::string bytes = Read(offset, count);
    bytes.copy(out, bytes.size());
    return bytes.size();
  }
};

// Bytes the caller keeps alive for as long as the source is used.
class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::string Read(std::uint64_t offset, std::size_t count) override {
    if (offset >= bytes_.size()) return {};
    return std::string(bytes_.substr(static_cast<std::size_t>(offset), count));
  }

 private:
  std::string_view bytes_;
};

}  // namespace vtinspect
