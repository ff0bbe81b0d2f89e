// The play time the command shows. The record's own figures are
// approximations made for speed: its Xing play time divides by 38.3 frames
// per second at any sample rate, and its constant-rate count includes the
// tags' bytes. The length is worked out again from the record and the file,
// with where it comes from.
#pragma once

#include <cstdint>
#include <optional>

#include "FileProbe.h"
#include "TagInfo.h"

namespace vtinspect {

enum class LengthSource {
  Xing,         // the Xing header's frame count (a VBR file)
  Info,         // LAME's "Info" header, the Xing layout in a constant-rate file
  Vbri,         // the VBRI header's frame count
  Bitrate,      // an estimate: the audio bytes at the first frame's bitrate
  WaveByteRate  // a WAVE file of other audio: data size and byte rate
};

struct PlayLength {
  double seconds = 0;
  LengthSource source = LengthSource::Bitrate;
  std::optional<std::uint32_t> frames;  // counted by a header, for the first three sources
  std::uint64_t audioBytes = 0;
};

// `info` is the record GetInfo filled for the file. Nothing when the file
// holds no audio whose length can be measured.
std::optional<PlayLength> DerivePlayLength(const FileProbe& probe, const TagInfo& info);

}  // namespace vtinspect
