#include "MpegFrame.h"

#include <array>

#include "ByteOrder.h"

namespace vthost {
namespace {

// kbit/s by row and bitrate index 1 to 14 (index 0 is the free format).
constexpr std::array<std::array<int, 15>, 5> kBitrates = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2/2.5 layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2/2.5 layers II, III
}};

constexpr std::array<int, 3> kMpeg1Rates = {44100, 48000, 32000};

}  // namespace

std::optional<FrameHeader> DecodeFrameHeader(std::string_view bytes) {
  if (bytes.size() < 4) return std::nullopt;
  const unsigned b1 = ByteAt(bytes, 1), b2 = ByteAt(bytes, 2), b3 = ByteAt(bytes, 3);
  const unsigned versionBits = (b1 >> 3) & 3u, layerBits = (b1 >> 1) & 3u;
  const unsigned bitrateIndex = b2 >> 4, rateIndex = (b2 >> 2) & 3u;
  if (ByteAt(bytes, 0) != 0xFF || (b1 & 0xE0u) != 0xE0u || versionBits == 1 || layerBits == 0 ||
      bitrateIndex == 15 || rateIndex == 3)
    return std::nullopt;
  FrameHeader header;
  header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  header.layer = static_cast<int>(4 - layerBits);
  const std::size_t row =
      header.version == 1 ? static_cast<std::size_t>(header.layer - 1) : (header.layer == 1 ? 3u : 4u);
  header.bitrate = kBitrates[row][bitrateIndex] * 1000;
  const int divisor = header.version == 1 ? 1 : header.version == 2 ? 2 : 4;
  header.sampleRate = kMpeg1Rates[rateIndex] / divisor;
  header.crc = (b1 & 1u) == 0;
  header.mono = (b3 >> 6) == 3;
  return header;
}

int SamplesPerFrame(int version, int layer) {
  if (layer == 1) return 384;
  if (layer == 2 || version == 1) return 1152;
  return 576;  // MPEG-2 and MPEG-2.5 layer III
}

std::optional<FrameCountHeader> FindFrameCountHeader(std::string_view frame, const FrameHeader& header) {
  // The Xing layout stands behind the side information, whose length
  // depends on the version and on mono; a CRC puts two bytes before it.
  const std::size_t sideInfo = header.version == 1 ? (header.mono ? 17 : 32) : (header.mono ? 9 : 17);
  for (const std::size_t at : {4 + sideInfo, 4 + sideInfo + 2}) {
    if (frame.size() < at + 8) continue;
    const std::string_view name = frame.substr(at, 4);
    if (name != "Xing" && name != "Info") continue;
    // Flag bit 0 says that the frame count follows the flags word.
    if ((BigEndian32(frame, at + 4) & 1u) == 0 || frame.size() < at + 12) return std::nullopt;
    return FrameCountHeader{name == "Xing" ? "Xing" : "Info", BigEndian32(frame, at + 8)};
  }
  // VBRI stands 32 bytes behind the header whatever the mode; its frame
  // count is at offset 14.
  constexpr std::size_t kVbri = 4 + 32;
  if (frame.size() >= kVbri + 18 && frame.substr(kVbri, 4) == "VBRI")
    return FrameCountHeader{"VBRI", BigEndian32(frame, kVbri + 14)};
  return std::nullopt;
}

}  // namespace vthost
