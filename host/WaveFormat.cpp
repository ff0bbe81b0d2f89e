#include "WaveFormat.h"

#include <cstring>
#include <fstream>

namespace vthost {
namespace {

std::uint32_t LittleEndian32(const unsigned char* b) {
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

}  // namespace

bool IsRiffWave(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[12];
  return in.read(reinterpret_cast<char*>(head), sizeof head) && std::memcmp(head, "RIFF", 4) == 0 &&
         std::memcmp(head + 8, "WAVE", 4) == 0;
}

std::optional<std::uint16_t> WaveFormatTag(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[12];
  if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return std::nullopt;
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return std::nullopt;
  // Walk the chunks: id, little-endian size, body padded to an even length.
  std::uint64_t offset = 12;
  unsigned char chunk[10];
  while (in.seekg(static_cast<std::streamoff>(offset)) && in.read(reinterpret_cast<char*>(chunk), 8)) {
    const std::uint32_t size = LittleEndian32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 2 || !in.read(reinterpret_cast<char*>(chunk + 8), 2)) return std::nullopt;
      return static_cast<std::uint16_t>(chunk[8] | (chunk[9] << 8));
    }
    offset += 8 + std::uint64_t{size} + (size & 1u);
  }
  return std::nullopt;
}

}  // namespace vthost
