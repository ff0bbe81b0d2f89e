// Integers as the file formats store them, taken from bytes the caller has
// already checked to be there.
#pragma once

#include <cstdint>
#include <string_view>

namespace vthost {

inline std::uint8_t ByteAt(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]);
}

// RIFF sizes and WAVE format fields.
inline std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
  return std::uint32_t{ByteAt(bytes, at)} | (std::uint32_t{ByteAt(bytes, at + 1)} << 8) |
         (std::uint32_t{ByteAt(bytes, at + 2)} << 16) | (std::uint32_t{ByteAt(bytes, at + 3)} << 24);
}

inline std::uint16_t LittleEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(ByteAt(bytes, at) | (ByteAt(bytes, at + 1) << 8));
}

// Frame counts of the Xing, Info and VBRI headers.
inline std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
  return (std::uint32_t{ByteAt(bytes, at)} << 24) | (std::uint32_t{ByteAt(bytes, at + 1)} << 16) |
         (std::uint32_t{ByteAt(bytes, at + 2)} << 8) | std::uint32_t{ByteAt(bytes, at + 3)};
}

}  // namespace vthost
