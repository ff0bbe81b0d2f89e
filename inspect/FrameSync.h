// Where the first MPEG audio frame of a stream is, found the way players
// find it. Bytes that are not audio may stand before it: padding that a tag's
// size does not count, the rest of a damaged download, a header some tool
// left behind. Two bytes of 0xFF and a plausible third occur by chance in any
// data, so a header found past such bytes counts only when further headers
// of the same stream follow it at the frame lengths.
#pragma once

#include <cstdint>
#include <optional>

#include "ByteSource.h"
#include "MpegFrame.h"

namespace vtinspect {

struct FoundFrame {
  std::uint64_t offset = 0;
  FrameHeader header;
};

// The first frame in [from, end): the first header that three more headers
// of its stream follow (or whose stream's frames lead exactly to `end`), or
// that stands behind zero bytes only (padding a tag's size does not count);
// a lone header at `from` itself, where the first frame belongs, when no
// such header follows. The search reaches at most kFrameSearchLimit bytes
// behind `from`.
inline constexpr std::uint64_t kFrameSearchLimit = 2u << 20;
std::optional<FoundFrame> FindFirstFrame(ByteSource& file, std::uint64_t from, std::uint64_t end);

}  // namespace vtinspect
