// Counting the frames of a stream that carries no frame count: from the
// first frame to the end of the audio, frame length by frame length. The
// file is read in large blocks, so the count goes at the speed of the disk.
#pragma once

#include <cstdint>

#include "ByteSource.h"
#include "MpegFrame.h"

namespace vtinspect {

struct FrameTally {
  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;  // of the frames counted
  int lowestBitrate = 0, highestBitrate = 0;
  std::uint64_t skipped = 0;  // bytes between frames that were no frame of the stream
  std::uint64_t end = 0;      // where the last frame counted ends

  bool Vbr() const { return lowestBitrate != highestBitrate; }
};

// The whole frames of the stream whose first frame `first` stands at
// `offset`, before `end`. Where the next frame's header is not one of the
// stream (damage, a cut), the count goes on at the next header of the stream
// that the one behind it confirms, as decoders resynchronise. `end` bounds
// every read; a frame that would run past it is not counted.
FrameTally CountFrames(ByteSource& file, std::uint64_t offset, const FrameHeader& first, std::uint64_t end);

}  // namespace vtinspect
