#include "PlayLength.h"

#include "reading/MpegTables.h"

namespace vtinspect {
namespace {

constexpr std::uint64_t kId3v1Size = 128;

// The bytes of audio: a RIFF file's data chunk, as far as the file holds it;
// otherwise the file without its ID3v2 tag and its ID3v1 block.
std::uint64_t AudioBytes(const FileProbe& probe, const TagInfo& info) {
  if (probe.riff && probe.riff->dataOffset) {
    const std::uint64_t offset = *probe.riff->dataOffset;
    const std::uint64_t held = probe.size > offset ? probe.size - offset : 0;
    return probe.riff->Streamed() || probe.riff->dataSize > held ? held : probe.riff->dataSize;
  }
  const std::uint64_t tags = (probe.id3v2 ? probe.id3v2->size : 0) + (info.HasTag ? kId3v1Size : 0);
  return probe.size > tags ? probe.size - tags : 0;
}

LengthSource SourceOf(FrameCountKind kind) {
  switch (kind) {
    case FrameCountKind::Xing:
      return LengthSource::Xing;
    case FrameCountKind::Info:
      return LengthSource::Info;
    default:
      return LengthSource::Vbri;
  }
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
  // The record's stream fields, not the inspection's: the length goes with
  // the rate and layer the record shows.
  const bool mpeg1 = info.MpegFamily != 2 && info.MpegVersion == 1;
  const double samples = vomtrail::SamplesPerFrame(mpeg1, info.Layer);
  if (info.Vbr && info.FrameCount >= 0) {
    length.source = LengthSource::Xing;
    length.frames = static_cast<std::uint32_t>(info.FrameCount);
  } else if (probe.frameCount) {
    length.source = SourceOf(probe.frameCount->kind);
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

}  // namespace vtinspect
