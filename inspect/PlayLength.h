// The play time and the bitrate of a file's audio, worked out from its own
// bytes. The record's figures are approximations made for speed: its Xing
// play time divides by 38.3 frames per second at any sample rate, and its
// constant-rate count includes the tags' bytes. Each length here says where
// it comes from, best source first: a frame count the encoder wrote, a WAVE
// file's sample count, the frames counted one by one, and only then an
// estimate from the first frame's bitrate.
#pragma once

#include <cstdint>
#include <optional>

#include "ByteSource.h"
#include "FileProbe.h"
#include "LameTag.h"

namespace vtinspect {

enum class LengthSource {
  Xing,         // the Xing header's frame count (a VBR file)
  Info,         // LAME's "Info" header, the Xing layout in a constant-rate file
  Vbri,         // the VBRI header's frame count
  Fact,         // a WAVE file's "fact" chunk: the samples of its compressed audio
  Counted,      // the frames counted from the first to the last
  Bitrate,      // an estimate: the audio bytes at the first frame's bitrate
  WaveByteRate  // a WAVE file of other audio: data size and byte rate
};

// The samples an encoder added around the audio, as LAME's extension gives
// them; a gapless player leaves them out.
struct Gapless {
  std::uint32_t delay = 0;
  std::uint32_t padding = 0;
  double framesSeconds = 0;  // the frames' whole length, with them
};

struct PlayLength {
  double seconds = 0;  // what a player plays: without the added samples where they are known
  LengthSource source = LengthSource::Bitrate;
  std::optional<std::uint64_t> frames;  // audio frames: the header's count, or those counted
  std::uint64_t audioBytes = 0;         // from the first frame to the end of the audio
  bool vbr = false;                     // the frames' bitrates differ
  double bitrate = 0;                   // bit/s: the stream's own at a constant rate, else the average
  std::optional<Gapless> gapless;
  // A frame-count header's length, when the file holds less audio than the
  // header counts (a file cut short): `seconds` is then what it holds.
  std::optional<double> promisedSeconds;
};

// Nothing when the file holds no audio whose length can be measured (no
// frame, a free-format stream, a WAVE file without a byte rate). May read
// the whole audio (to count frames); `file` is best the HeadAndTail the
// probe read.
std::optional<PlayLength> MeasurePlayLength(ByteSource& file, const FileProbe& probe);

}  // namespace vtinspect
