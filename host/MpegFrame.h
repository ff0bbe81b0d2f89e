// The host's own look at an MPEG audio frame header. The module decodes any
// four bytes as a header; before believing that record the host checks that
// the bytes can be a header at all, and reads the frame-count headers that
// encoders put into the first frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vthost {

struct FrameHeader {
  int version = 1;  // 1, 2, or 25 for MPEG-2.5
  int layer = 3;
  int bitrate = 0;  // bit/s; 0 for the free format
  int sampleRate = 0;
  bool crc = false;
  bool mono = false;
};

// The header at the start of `bytes`: 11 sync bits, a version other than the
// reserved code, a layer other than the reserved code, a bitrate index other
// than 15 and a sample-rate index other than 3. Nothing otherwise.
std::optional<FrameHeader> DecodeFrameHeader(std::string_view bytes);

int SamplesPerFrame(int version, int layer);

// A frame count that an encoder wrote into the first frame: "Xing" (VBR),
// "Info" (the same layout, written by LAME into constant-rate files) or
// "VBRI".
struct FrameCountHeader {
  const char* name;  // "Xing", "Info" or "VBRI"
  std::uint32_t frames;
};

// `frame` holds the first frame from its header on, as far as it was read.
std::optional<FrameCountHeader> FindFrameCountHeader(std::string_view frame, const FrameHeader& header);

}  // namespace vthost
