// An MPEG audio frame header as the inspection reads it, and the frame-count
// headers that encoders put into the first frame. Unlike the module, which
// decodes any four bytes, this decides whether the bytes can be a header at
// all (reading/MpegTables.h says where the two rules part).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vtinspect {

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

// Samples in one frame: 384 for Layer I, 1152 for Layer II and MPEG-1
// Layer III, 576 for MPEG-2 and MPEG-2.5 Layer III.
int SamplesPerFrame(const FrameHeader& header);

// A frame count that an encoder wrote into the first frame: "Xing" (VBR),
// "Info" (the same layout, written by LAME into constant-rate files) or
// "VBRI".
enum class FrameCountKind { Xing, Info, Vbri };

struct FrameCountHeader {
  FrameCountKind kind;
  std::uint32_t frames;
};

// `frame` holds the first frame from its header on, as far as it was read.
std::optional<FrameCountHeader> FindFrameCountHeader(std::string_view frame, const FrameHeader& header);

}  // namespace vtinspect
