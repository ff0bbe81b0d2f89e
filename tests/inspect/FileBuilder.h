// Files for the inspection's tests, written out byte by byte, with the
// numbers in the byte orders the formats use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vtinspect::testing {

class FileBuilder {
 public:
  FileBuilder& Text(std::string_view text) {
    bytes_ += text;
    return *this;
  }
  FileBuilder& Bytes(std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) bytes_ += static_cast<char>(b);
    return *this;
  }
  FileBuilder& Le16(std::uint16_t v) { return Bytes({Byte(v, 0), Byte(v, 8)}); }
  FileBuilder& Le32(std::uint32_t v) { return Bytes({Byte(v, 0), Byte(v, 8), Byte(v, 16), Byte(v, 24)}); }
  FileBuilder& Be32(std::uint32_t v) { return Bytes({Byte(v, 24), Byte(v, 16), Byte(v, 8), Byte(v, 0)}); }
  FileBuilder& Zeros(std::size_t count) {
    bytes_.append(count, '\0');
    return *this;
  }
  // A RIFF chunk: id, little-endian size, body, and the pad byte of an odd size.
  FileBuilder& Chunk(std::string_view id, std::string_view body) {
    Text(id).Le32(static_cast<std::uint32_t>(body.size())).Text(body);
    return body.size() % 2 != 0 ? Zeros(1) : *this;
  }
  std::size_t Size() const { return bytes_.size(); }
  const std::string& Get() const { return bytes_; }

 private:
  static std::uint8_t Byte(std::uint32_t v, int shift) { return static_cast<std::uint8_t>(v >> shift); }
  std::string bytes_;
};

}  // namespace vtinspect::testing
