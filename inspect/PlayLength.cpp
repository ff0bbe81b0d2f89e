#include "PlayLength.h"

#include "FrameScan.h"

namespace vtinspect {
namespace {

// LAME's method codes for a constant rate, plain and two-pass.
constexpr int kLameCbr = 1, kLameCbrTwoPass = 8;
// The first frames looked at to tell a constant rate from a variable one
// where nothing else says: what the probe's read of the head holds.
constexpr std::uint64_t kFirstFramesBytes = 64 * 1024;

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

double Seconds(double samples, const FrameHeader& frame) { return samples / frame.sampleRate; }

bool HeaderSaysVbr(const FrameCountHeader& header) {
  if (header.kind == FrameCountKind::Info) return false;
  return !header.lame || (header.lame->method != kLameCbr && header.lame->method != kLameCbrTwoPass);
}

// The length from the header's frame count; gapless where LAME's extension
// gives the samples added.
PlayLength FromHeader(const FileProbe& probe, const FrameCountHeader& header, std::uint64_t audioBytes) {
  const FrameHeader& frame = *probe.frame;
  const double samples = static_cast<double>(header.frames) * SamplesPerFrame(frame);
  PlayLength length;
  length.source = SourceOf(header.kind);
  length.frames = header.frames;
  length.audioBytes = audioBytes;
  length.seconds = Seconds(samples, frame);
  length.vbr = HeaderSaysVbr(header);
  if (header.lame && header.lame->delay + header.lame->padding != 0) {
    const double added = static_cast<double>(header.lame->delay) + header.lame->padding;
    if (added < samples) {
      length.gapless = Gapless{header.lame->delay, header.lame->padding, length.seconds};
      length.seconds = Seconds(samples - added, frame);
    }
  }
  const std::uint64_t bytes = header.bytes && *header.bytes != 0 ? *header.bytes : audioBytes;
  const double framesSeconds = length.gapless ? length.gapless->framesSeconds : length.seconds;
  length.bitrate =
      length.vbr && framesSeconds > 0 ? static_cast<double>(bytes) * 8 / framesSeconds : frame.bitrate;
  return length;
}

// A header that counts more bytes than the file holds behind the first
// frame, by more than two of the longest frames (slack for a last frame
// the encoder counted differently).
bool CutShort(const FileProbe& probe, const FrameCountHeader& header, std::uint64_t audioBytes) {
  return header.bytes && audioBytes + 2 * std::uint64_t{LongestFrame(*probe.frame)} < *header.bytes;
}

// The length of the frames counted. `headerFrame`: the first frame is a
// frame-count header, which holds no audio; `delay`: the samples an encoder
// added in front.
std::optional<PlayLength> FromCount(const FrameTally& tally, const FileProbe& probe, bool headerFrame,
                                    std::uint32_t delay, std::uint64_t audioBytes) {
  const std::uint64_t frames = tally.frames - (headerFrame && tally.frames > 0 ? 1 : 0);
  if (frames == 0) return std::nullopt;
  const FrameHeader& frame = *probe.frame;
  const double samples = static_cast<double>(frames) * SamplesPerFrame(frame);
  PlayLength length;
  length.source = LengthSource::Counted;
  length.frames = frames;
  length.audioBytes = audioBytes;
  length.vbr = tally.Vbr();
  length.seconds = Seconds(samples > delay ? samples - delay : samples, frame);
  length.bitrate =
      length.vbr ? static_cast<double>(tally.bytes) * 8 / Seconds(samples, frame) : frame.bitrate;
  return length;
}

std::optional<PlayLength> ForOtherWaveAudio(const FileProbe& probe) {
  if (!probe.riff->format || probe.riff->format->byteRate == 0 || !probe.riff->dataOffset)
    return std::nullopt;
  PlayLength length;
  length.source = LengthSource::WaveByteRate;
  length.audioBytes = probe.AudioEnd() - *probe.riff->dataOffset;
  length.seconds = static_cast<double>(length.audioBytes) / probe.riff->format->byteRate;
  length.bitrate = 8.0 * probe.riff->format->byteRate;
  return length;
}

}  // namespace

std::optional<PlayLength> MeasurePlayLength(ByteSource& file, const FileProbe& probe) {
  if (probe.IsNonMpegWave()) return ForOtherWaveAudio(probe);
  if (!probe.frame || probe.frame->sampleRate <= 0) return std::nullopt;
  const FrameHeader& frame = *probe.frame;
  const std::uint64_t end = probe.AudioEnd();
  const std::uint64_t audioBytes = end > probe.frameOffset ? end - probe.frameOffset : 0;

  if (probe.frameCount && probe.frameCount->frames != 0) {
    const FrameCountHeader& header = *probe.frameCount;
    PlayLength length = FromHeader(probe, header, audioBytes);
    if (!CutShort(probe, header, audioBytes)) return length;
    const std::uint32_t delay = header.lame ? header.lame->delay : 0;
    auto held = FromCount(CountFrames(file, probe.frameOffset, frame, end), probe, true, delay, audioBytes);
    if (!held) return length;
    held->vbr = held->vbr || length.vbr;
    held->promisedSeconds = length.seconds;
    return held;
  }
  if (probe.riff && probe.riff->factSamples && *probe.riff->factSamples != 0) {
    PlayLength length;
    length.source = LengthSource::Fact;
    length.audioBytes = audioBytes;
    length.seconds = Seconds(*probe.riff->factSamples, frame);
    const std::uint64_t first = std::min(end, probe.frameOffset + kFirstFramesBytes);
    length.vbr = CountFrames(file, probe.frameOffset, frame, first).Vbr();
    length.bitrate = length.vbr ? static_cast<double>(audioBytes) * 8 / length.seconds : frame.bitrate;
    return length;
  }
  if (FrameLength(frame) != 0)
    if (auto counted =
            FromCount(CountFrames(file, probe.frameOffset, frame, end), probe, false, 0, audioBytes))
      return counted;
  if (frame.bitrate <= 0) return std::nullopt;
  PlayLength length;
  length.source = LengthSource::Bitrate;
  length.audioBytes = audioBytes;
  length.seconds = static_cast<double>(audioBytes) * 8 / frame.bitrate;
  length.bitrate = frame.bitrate;
  return length;
}

}  // namespace vtinspect
