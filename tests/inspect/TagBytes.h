// ID3v2, APE and trailer bytes for the tests, built as the format lays
// them out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vtinspect::testing {

using ByteVector = std::vector<std::uint8_t>;

inline ByteVector Of(std::string_view text) { return {text.begin(), text.end()}; }

inline ByteVector operator+(ByteVector a, const ByteVector& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline ByteVector BigEndianBytes(std::uint32_t value, int width) {
  ByteVector out;
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  return out;
}

inline ByteVector LittleEndianBytes(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

inline ByteVector SynchsafeBytes(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 21 & 0x7F), static_cast<std::uint8_t>(value >> 14 & 0x7F),
          static_cast<std::uint8_t>(value >> 7 & 0x7F), static_cast<std::uint8_t>(value & 0x7F)};
}

// A frame of version `major`; 2.4 sizes synchsafe unless `plain_size`.
inline ByteVector Frame(int major, std::string_view id, const ByteVector& data, std::uint16_t flags = 0,
                        bool plain_size = false) {
  const auto size = static_cast<std::uint32_t>(data.size());
  if (major == 2) return Of(id) + BigEndianBytes(size, 3) + data;
  return Of(id) + (major == 4 && !plain_size ? SynchsafeBytes(size) : BigEndianBytes(size, 4)) +
         BigEndianBytes(flags, 2) + data;
}

// An ISO-8859-1 text frame's data.
inline ByteVector Latin1(std::string_view text) { return ByteVector{0} + Of(text); }

inline ByteVector Tag(int major, const ByteVector& body, std::uint8_t flags = 0, std::size_t padding = 0) {
  ByteVector padded = body;
  padded.resize(body.size() + padding, 0);
  return Of("ID3") + ByteVector{static_cast<std::uint8_t>(major), 0, flags} +
         SynchsafeBytes(static_cast<std::uint32_t>(padded.size())) + padded;
}

// An APEv2 item and a header or footer.
inline ByteVector ApeItemBytes(std::string_view key, std::string_view value, std::uint32_t flags = 0) {
  return LittleEndianBytes(static_cast<std::uint32_t>(value.size())) + LittleEndianBytes(flags) + Of(key) +
         ByteVector{0} + Of(value);
}
inline ByteVector ApeFooterBytes(std::uint32_t tag_size, std::uint32_t items, std::uint32_t flags,
                                 std::uint32_t version = 2000) {
  return Of("APETAGEX") + LittleEndianBytes(version) + LittleEndianBytes(tag_size) +
         LittleEndianBytes(items) + LittleEndianBytes(flags) + ByteVector(8, 0);
}

inline ByteVector Id3v1(std::string_view title) {
  ByteVector block = Of("TAG") + Of(title);
  block.resize(128, 0);
  return block;
}

}  // namespace vtinspect::testing
