// An MPEG audio frame header as the inspection reads it, and the frame-count
// headers that encoders put into the first frame. Unlike the module, which
// decodes any four bytes, this decides whether the bytes can be a header at
// all (reading/MpegTables.h says where the two rules part).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "LameTag.h"

namespace vtinspect {

enum class ChannelMode { Stereo, JointStereo, DualChannel, Mono };

struct FrameHeader {
  int version = 1;  // 1, 2, or 25 for MPEG-2.5
  int layer = 3;
  int bitrate = 0;  // bit/s; 0 for the free format
  int sampleRate = 0;
  bool crc = false;
  bool mono = false;
  bool padding = false;  // one more slot in this frame
  ChannelMode channelMode = ChannelMode::Stereo;
  int modeExtension = 0;
  bool privateBit = false, copyright = false, original = false;
  int emphasis = 0;
};

// The header at the start of `bytes`: 11 sync bits, a version other than the
// reserved code, a layer other than the reserved code, a bitrate index other
// than 15 and a sample-rate index other than 3. Nothing otherwise.
std::optional<FrameHeader> DecodeFrameHeader(std::string_view bytes);

// Samples in one frame: 384 for Layer I, 1152 for Layer II and MPEG-1
// Layer III, 576 for MPEG-2 and MPEG-2.5 Layer III.
int SamplesPerFrame(const FrameHeader& header);

// The bytes of the frame, header included: its samples at the bitrate, in
// slots of 4 bytes in Layer I and 1 byte otherwise, plus the padding slot.
// 0 in the free format, whose frames say nothing of their length.
std::uint32_t FrameLength(const FrameHeader& header);

// The longest frame a stream of this version, layer and sample rate can
// have: the highest bitrate with the padding slot.
std::uint32_t LongestFrame(const FrameHeader& header);

// Whether `next` can follow `first` in one stream: the bitrate, padding and
// channel mode change from frame to frame, the version, layer and sample
// rate do not.
bool SameStream(const FrameHeader& first, const FrameHeader& next);

// A frame count that an encoder wrote into the first frame: "Xing" (VBR),
// "Info" (the same layout, written by LAME into constant-rate files) or
// "VBRI".
enum class FrameCountKind { Xing, Info, Vbri };

struct FrameCountHeader {
  FrameCountKind kind;
  std::uint32_t frames;                // the audio frames behind this one
  std::optional<std::uint32_t> bytes;  // the stream's bytes, this frame included
  std::optional<LameTag> lame;         // LAME's extension behind the Xing fields
};

// `frame` holds the first frame from its header on, as far as it was read.
std::optional<FrameCountHeader> FindFrameCountHeader(std::string_view frame, const FrameHeader& header);

}  // namespace vtinspect
