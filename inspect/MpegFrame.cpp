#include "MpegFrame.h"

#include "platform/ByteOrder.h"
#include "reading/MpegTables.h"

namespace vtinspect {
namespace {

using vomtrail::BigEndian32;
using vomtrail::ByteAt;

// The Xing flags: which of the optional fields follow the flags word.
constexpr std::uint32_t kXingFrames = 1, kXingBytes = 2, kXingToc = 4, kXingQuality = 8;
constexpr std::size_t kXingTocSize = 100;

std::size_t BitrateRow(int version, int layer) {
  if (version == 1) return static_cast<std::size_t>(vomtrail::kMpeg1BitrateRow + layer - 1);
  if (version == 25 && layer != 1) return vomtrail::kMpeg25BitrateRow;
  return static_cast<std::size_t>(vomtrail::kMpeg2BitrateRow + layer - 1);
}

std::size_t SampleRateRow(int version) { return version == 1 ? 0 : version == 2 ? 1 : 2; }

std::uint32_t LengthAt(const FrameHeader& header, std::uint64_t bitrate, bool padding) {
  if (header.sampleRate <= 0) return 0;
  const auto rate = static_cast<std::uint64_t>(header.sampleRate);
  if (header.layer == 1) return static_cast<std::uint32_t>((12 * bitrate / rate + (padding ? 1 : 0)) * 4);
  // Samples per frame / 8 bits: 144 bytes per bit/Hz for 1152 samples.
  const std::uint64_t perBit = static_cast<std::uint64_t>(SamplesPerFrame(header)) / 8;
  return static_cast<std::uint32_t>(perBit * bitrate / rate + (padding ? 1 : 0));
}

// The Xing layout at `at`: the flags word says which fields follow; LAME's
// extension stands behind the last of them.
std::optional<FrameCountHeader> ReadXing(std::string_view frame, std::size_t at) {
  const std::uint32_t flags = BigEndian32(frame, at + 4);
  if ((flags & kXingFrames) == 0 || frame.size() < at + 12) return std::nullopt;
  FrameCountHeader found{frame.substr(at, 4) == "Xing" ? FrameCountKind::Xing : FrameCountKind::Info,
                         BigEndian32(frame, at + 8), std::nullopt, std::nullopt};
  std::size_t next = at + 12;
  if ((flags & kXingBytes) != 0) {
    if (frame.size() >= next + 4) found.bytes = BigEndian32(frame, next);
    next += 4;
  }
  if ((flags & kXingToc) != 0) next += kXingTocSize;
  if ((flags & kXingQuality) != 0) next += 4;
  if (frame.size() > next) found.lame = ParseLameTag(frame.substr(next));
  return found;
}

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
  header.bitrate = vomtrail::kBitrateTable[BitrateRow(header.version, header.layer)][bitrateIndex] * 1000;
  header.sampleRate = vomtrail::kSampleRateTable[SampleRateRow(header.version)][rateIndex];
  header.crc = (b1 & 1u) == 0;
  header.padding = (b2 & 2u) != 0;
  header.privateBit = (b2 & 1u) != 0;
  header.channelMode = static_cast<ChannelMode>(b3 >> 6);
  header.mono = header.channelMode == ChannelMode::Mono;
  header.modeExtension = static_cast<int>((b3 >> 4) & 3u);
  header.copyright = (b3 & 8u) != 0;
  header.original = (b3 & 4u) != 0;
  header.emphasis = static_cast<int>(b3 & 3u);
  return header;
}

int SamplesPerFrame(const FrameHeader& header) {
  return vomtrail::SamplesPerFrame(header.version == 1, header.layer);
}

std::uint32_t FrameLength(const FrameHeader& header) {
  if (header.bitrate <= 0) return 0;
  return LengthAt(header, static_cast<std::uint64_t>(header.bitrate), header.padding);
}

std::uint32_t LongestFrame(const FrameHeader& header) {
  const auto& row = vomtrail::kBitrateTable[BitrateRow(header.version, header.layer)];
  return LengthAt(header, std::uint64_t{row.back()} * 1000, true);
}

bool SameStream(const FrameHeader& first, const FrameHeader& next) {
  return first.version == next.version && first.layer == next.layer && first.sampleRate == next.sampleRate;
}

std::optional<FrameCountHeader> FindFrameCountHeader(std::string_view frame, const FrameHeader& header) {
  // The Xing layout stands behind the side information; a CRC puts its two
  // bytes before that.
  const auto sideInfo =
      static_cast<std::size_t>(vomtrail::SideInformationSize(header.version == 1, header.mono));
  for (const std::size_t at : {4 + sideInfo, 4 + sideInfo + 2}) {
    if (frame.size() < at + 8) continue;
    const std::string_view name = frame.substr(at, 4);
    if (name == "Xing" || name == "Info") return ReadXing(frame, at);
  }
  // VBRI stands 32 bytes behind the header whatever the mode: a version, a
  // delay and a quality of two bytes each, then the byte and frame counts.
  constexpr std::size_t kVbri = 4 + 32;
  if (frame.size() >= kVbri + 18 && frame.substr(kVbri, 4) == "VBRI")
    return FrameCountHeader{FrameCountKind::Vbri, BigEndian32(frame, kVbri + 14),
                            BigEndian32(frame, kVbri + 10), std::nullopt};
  return std::nullopt;
}

}  // namespace vtinspect
