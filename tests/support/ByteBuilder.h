// Test files built byte by byte: the cases encoders never make.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "TagInfo.h"

namespace vomtrail::testing {

class ByteBuilder {
 public:
  ByteBuilder& Text(std::string_view s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  ByteBuilder& Raw(std::initializer_list<std::uint8_t> b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }
  ByteBuilder& Repeat(std::uint8_t value, std::size_t count) {
    bytes_.insert(bytes_.end(), count, value);
    return *this;
  }
  ByteBuilder& Le32(std::uint32_t v) {
    return Raw({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
  }
  ByteBuilder& Be32(std::uint32_t v) {
    return Raw({static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
  }
  ByteBuilder& Append(const std::vector<std::uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  // Pads with value up to an absolute length.
  ByteBuilder& PadTo(std::size_t length, std::uint8_t value = 0) {
    if (bytes_.size() < length) bytes_.resize(length, value);
    return *this;
  }
  std::size_t Size() const { return bytes_.size(); }
  std::vector<std::uint8_t> Build() const { return bytes_; }
  operator std::vector<std::uint8_t>() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A 128-byte ID3v1 block: fields given as they stand, padded with pad.
std::vector<std::uint8_t> Id3v1Block(std::string_view title, std::string_view artist, std::string_view album,
                                     std::string_view year, std::string_view comment, int track,
                                     std::uint8_t genre, std::uint8_t pad = ' ');

// A record filled with one byte, so that every byte the module leaves alone
// can be seen to keep it.
TagInfo FilledRecord(std::uint8_t fill);

// Sets an item's text.
void SetItem(TagInfo& info, int item, std::string_view text);
std::string ItemText(const TagInfo& info, int item);

}  // namespace vomtrail::testing
