// Byte access for the tag readers: every tag arrives as a span of bytes the
// caller read from the file, and every multi-byte number is decoded here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vtinspect {

using Bytes = std::span<const std::uint8_t>;

inline std::uint32_t BigEndian(Bytes b, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = (value << 8) | b[i];
  return value;
}

inline std::uint32_t LittleEndian32(Bytes b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

// ID3v2 stores tag sizes (and 2.4 frame sizes) in seven bits per byte so
// that no size can contain a false MPEG sync pattern. A byte with its top
// bit set is not a synchsafe byte.
inline bool IsSynchsafe(Bytes b) { return (b[0] | b[1] | b[2] | b[3]) < 0x80; }

inline std::uint32_t Synchsafe(Bytes b) {
  return static_cast<std::uint32_t>(b[0] & 0x7F) << 21 | static_cast<std::uint32_t>(b[1] & 0x7F) << 14 |
         static_cast<std::uint32_t>(b[2] & 0x7F) << 7 | static_cast<std::uint32_t>(b[3] & 0x7F);
}

inline bool StartsWith(Bytes b, std::string_view text) {
  if (b.size() < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (b[i] != static_cast<std::uint8_t>(text[i])) return false;
  }
  return true;
}

inline std::string_view AsText(Bytes b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

}  // namespace vtinspect
