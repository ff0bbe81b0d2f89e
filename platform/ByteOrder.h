// The byte orders of the formats: RIFF sizes are little-endian 32-bit
// words, the Xing frame count is a big-endian one.
#pragma once

#include <cstdint>

namespace vomtrail {

constexpr std::uint32_t LittleEndian32(const std::uint8_t* b) {
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

constexpr std::uint32_t BigEndian32(const std::uint8_t* b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         std::uint32_t{b[3]};
}

constexpr void PutLittleEndian32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace vomtrail
