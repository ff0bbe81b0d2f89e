#include "journal/ContentHash.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace vthost {
namespace {

constexpr std::uint64_t kPrime = 0x100000001b3ULL;  // FNV's 64-bit prime
constexpr std::size_t kChunk = 1 << 20;

}  // namespace

void ContentHash::Add(std::string_view bytes) {
  // Eight bytes a step: the multiply spreads each word over the state.
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    state_ = (state_ ^ word) * kPrime;
    state_ ^= state_ >> 29;
  }
  for (; at < bytes.size(); ++at) state_ = (state_ ^ static_cast<unsigned char>(bytes[at])) * kPrime;
  length_ += bytes.size();
}

std::optional<std::uint64_t> HashFileRange(const std::filesystem::path& path, std::uint64_t offset,
                                           std::uint64_t length) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(static_cast<std::streamoff>(offset));
  ContentHash hash;
  std::vector<char> buffer(kChunk);
  while (length > 0 && in) {
    const std::size_t want = length < kChunk ? static_cast<std::size_t>(length) : kChunk;
    in.read(buffer.data(), static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    hash.Add(std::string_view(buffer.data(), got));
    length -= got;
  }
  if (in.bad()) return std::nullopt;
  return hash.Value();
}

std::optional<std::uint64_t> HashFile(const std::filesystem::path& path) {
  return HashFileRange(path, 0, UINT64_MAX);
}

std::string HashText(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::optional<std::uint64_t> HashFromText(std::string_view text) {
  if (text.size() != 16) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value;
}

}  // namespace vthost
