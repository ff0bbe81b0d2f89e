// The byte orders of the formats: RIFF sizes and WAVE format fields are
// little-endian, the frame counts of the Xing and VBRI headers big-endian.
// The module reads them from its buffers; the vomtrail command's inspection
// of files reads them from byte strings, through the forms at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vomtrail {

constexpr std::uint32_t LittleEndian32(const std::uint8_t* b) {
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

constexpr std::uint16_t LittleEndian16(const std::uint8_t* b) {
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

constexpr std::uint32_t BigEndian32(const std::uint8_t* b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         std::uint32_t{b[3]};
}

constexpr void PutLittleEndian32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The same words in a byte string, `at` bytes in; the caller has checked
// that the bytes are there.
inline const std::uint8_t* BytesAt(std::string_view bytes, std::size_t at) {
  return reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
}
inline std::uint8_t ByteAt(std::string_view bytes, std::size_t at) { return *BytesAt(bytes, at); }
inline std::uint16_t LittleEndian16(std::string_view bytes, std::size_t at) {
  return LittleEndian16(BytesAt(bytes, at));
}
inline std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
  return LittleEndian32(BytesAt(bytes, at));
}
inline std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
  return BigEndian32(BytesAt(bytes, at));
}

}  // namespace vomtrail
