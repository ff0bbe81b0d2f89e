// Storing texts into the host's record. A store writes the length byte and
// the text bytes and nothing after them: the bytes behind a text belong to
// the host and keep what it left there.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "TagInfo.h"

namespace vomtrail {

inline void StoreText(Str255& item, std::span<const std::uint8_t> text) {
  const std::size_t n = std::min<std::size_t>(text.size(), 255);
  item.Length = static_cast<std::uint8_t>(n);
  if (n != 0) std::memcpy(item.Text, text.data(), n);
}

inline void StoreText(Str255& item, std::string_view text) {
  StoreText(item, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

inline std::span<const std::uint8_t> TextOf(const Str255& item) { return {item.Text, item.Length}; }

// A blank is a space or a control byte: the bytes up to 0x20 that tag
// fields are padded with (spaces, zeros) or that writers leave at their
// ends (line ends). Bytes 0x80 and up are text in every code page.
constexpr bool IsBlank(std::uint8_t byte) { return byte <= 0x20; }

constexpr std::span<const std::uint8_t> TrimTrailingBlanks(std::span<const std::uint8_t> text) {
  while (!text.empty() && IsBlank(text.back())) text = text.first(text.size() - 1);
  return text;
}

constexpr std::span<const std::uint8_t> TrimLeadingBlanks(std::span<const std::uint8_t> text) {
  while (!text.empty() && IsBlank(text.front())) text = text.subspan(1);
  return text;
}

}  // namespace vomtrail
