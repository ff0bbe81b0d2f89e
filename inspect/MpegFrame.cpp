#include "MpegFrame.h"

#include "platform/ByteOrder.h"
#include "reading/MpegTables.h"

namespace vtinspect {
namespace {

using vomtrail::BigEndian32;
using vomtrail::ByteAt;

std::size_t BitrateRow(const FrameHeader& header) {
  if (header.version == 1) return static_cast<std::size_t>(vomtrail::kMpeg1BitrateRow + header.layer - 1);
  if (header.version == 25 && header.layer != 1) return vomtrail::kMpeg25BitrateRow;
  return static_cast<std::size_t>(vomtrail::kMpeg2BitrateRow + header.layer - 1);
}

std::size_t SampleRateRow(int version) { return version == 1 ? 0 : version == 2 ? 1 : 2; }

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
  header.bitrate = vomtrail::kBitrateTable[BitrateRow(header)][bitrateIndex] * 1000;
  header.sampleRate = vomtrail::kSampleRateTable[SampleRateRow(header.version)][rateIndex];
  header.crc = (b1 & 1u) == 0;
  header.mono = (b3 >> 6) == 3;
  return header;
}

int SamplesPerFrame(const FrameHeader& header) {
  return vomtrail::SamplesPerFrame(header.version == 1, header.layer);
}

std::optional<FrameCountHeader> FindFrameCountHeader(std::string_view frame, const FrameHeader& header) {
  // The Xing layout stands behind the side information; a CRC puts its two
  // bytes before that.
  const auto sideInfo =
      static_cast<std::size_t>(vomtrail::SideInformationSize(header.version == 1, header.mono));
  for (const std::size_t at : {4 + sideInfo, 4 + sideInfo + 2}) {
    if (frame.size() < at + 8) continue;
    const std::string_view name = frame.substr(at, 4);
    if (name != "Xing" && name != "Info") continue;
    // Flag bit 0 says that the frame count follows the flags word.
    if ((BigEndian32(frame, at + 4) & 1u) == 0 || frame.size() < at + 12) return std::nullopt;
    return FrameCountHeader{name == "Xing" ? FrameCountKind::Xing : FrameCountKind::Info,
                            BigEndian32(frame, at + 8)};
  }
  // VBRI stands 32 bytes behind the header whatever the mode; its frame
  // count is at offset 14.
  constexpr std::size_t kVbri = 4 + 32;
  if (frame.size() >= kVbri + 18 && frame.substr(kVbri, 4) == "VBRI")
    return FrameCountHeader{FrameCountKind::Vbri, BigEndian32(frame, kVbri + 14)};
  return std::nullopt;
}

}  // namespace vtinspect
