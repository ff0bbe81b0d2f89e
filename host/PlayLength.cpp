#include "PlayLength.h"

namespace vthost {
namespace {

// The bytes of audio: a RIFF file's data chunk, as far as the file holds it;
// otherwise the file without its ID3v2 tag and its ID3v1 block.
std::uint64_t AudioBytes(const FileProbe& probe, const TagInfo& info) {
  if (probe.riff && probe.riff->dataOffset) {
    const std::uint64_t offset = *probe.riff->dataOffset;
    const std::uint64_t held = probe.size > offset ? probe.size - offset : 0;
    return probe.riff->Streamed() || probe.riff->dataSize > held ? held : probe.riff->dataSize;
  }
  std::uint64_t bytes = probe.size;
  const std::uint64_t tags = (probe.id3v2 ? probe.id3v2->size : 0) + (info.HasTag ? 128 : 0);
  return bytes > tags ? bytes - tags : 0;
}

int RecordVersion(const TagInfo& info) {
  if (info.MpegFamily == 2) return 25;
  return info.MpegVersion == 1 ? 1 : 2;
}

}  // namespace

std::optional<PlayLength> DerivePlayLength(const FileProbe& probe, const TagInfo& info) {
  PlayLength length;
  length.audioBytes = AudioBytes(probe, info);
  if (probe.IsNonMpegWave()) {
    if (!probe.riff->format || probe.riff->format->byteRate == 0 || !probe.riff->dataOffset)
      return std::nullopt;
    length.source = LengthSource::WaveByteRate;
    length.seconds = static_cast<double>(length.audioBytes) / probe.riff->format->byteRate;
    return length;
  }
  if (!probe.frame || info.MpegFamily == 0 || info.SampleRate <= 0) return std::nullopt;
  const double samples = SamplesPerFrame(RecordVersion(info), info.Layer);
  if (info.Vbr && info.FrameCount >= 0) {
    length.source = LengthSource::Xing;
    length.frames = static_cast<std::uint32_t>(info.FrameCount);
  } else if (probe.frameCount) {
    const std::string_view name = probe.frameCount->name;
    length.source = name == "Xing"   ? LengthSource::Xing
                    : name == "Info" ? LengthSource::Info
                                     : LengthSource::Vbri;
    length.frames = probe.frameCount->frames;
  }
  if (length.frames) {
    length.seconds = *length.frames * samples / info.SampleRate;
    return length;
  }
  if (info.Bitrate <= 0) return std::nullopt;
  length.source = LengthSource::Bitrate;
  length.seconds = static_cast<double>(length.audioBytes) * 8 / info.Bitrate;
  return length;
}

const char* SourceName(LengthSource source) {
  switch (source) {
    case LengthSource::Xing:
      return "xing";
    case LengthSource::Info:
      return "info";
    case LengthSource::Vbri:
      return "vbri";
    case LengthSource::WaveByteRate:
      return "wave";
    default:
      return "bitrate";
  }
}

std::string SourceWords(const PlayLength& length) {
  const std::string frames = length.frames ? std::to_string(*length.frames) + " frames" : "";
  switch (length.source) {
    case LengthSource::Xing:
      return frames + " from the Xing header";
    case LengthSource::Info:
      return frames + " from the LAME Info header";
    case LengthSource::Vbri:
      return frames + " from the VBRI header";
    case LengthSource::WaveByteRate:
      return "from the data size and the byte rate";
    default:
      return "estimate from the first frame's bitrate and " + std::to_string(length.audioBytes) +
             " audio bytes";
  }
}

}  // namespace vthost
