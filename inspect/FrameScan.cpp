#include "FrameScan.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace vtinspect {
namespace {

constexpr std::size_t kBlock = 4u << 20;

// The file's bytes in one block at a time; a request the block does not
// hold reads the next block from where it starts.
class BlockReader {
 public:
  BlockReader(ByteSource& file, std::uint64_t end) : file_(file), end_(end) {}

  // Up to `count` bytes at `offset` (fewer only at the end).
  std::string_view At(std::uint64_t offset, std::size_t count) {
    if (offset < start_ || offset + count > start_ + block_.size()) {
      if (offset >= end_) return {};
      start_ = offset;
      block_ = file_.Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, end_ - offset)));
    }
    const std::string_view held(block_);
    return held.substr(static_cast<std::size_t>(offset - start_), count);
  }
  // The rest of the block from `offset`, which it holds.
  std::string_view Rest(std::uint64_t offset) const {
    return std::string_view(block_).substr(static_cast<std::size_t>(offset - start_));
  }

 private:
  ByteSource& file_;
  std::uint64_t end_;
  std::uint64_t start_ = 0;
  std::string block_;
};

std::optional<FrameHeader> StreamHeaderAt(BlockReader& reader, std::uint64_t offset,
                                          const FrameHeader& first) {
  auto header = DecodeFrameHeader(reader.At(offset, 4));
  if (!header || !SameStream(first, *header) || FrameLength(*header) == 0) return std::nullopt;
  return header;
}

// The next header of the stream behind `offset` that the header behind it
// confirms (or whose frame ends the audio); `end` when there is none.
std::uint64_t Resynchronise(BlockReader& reader, std::uint64_t offset, const FrameHeader& first,
                            std::uint64_t end) {
  for (std::uint64_t at = offset + 1; at + 4 <= end;) {
    reader.At(at, 4);
    const std::string_view rest = reader.Rest(at);
    const void* sync = std::memchr(rest.data(), 0xFF, rest.size());
    if (sync == nullptr) {
      at += rest.size();
      continue;
    }
    at += static_cast<std::uint64_t>(static_cast<const char*>(sync) - rest.data());
    if (const auto header = StreamHeaderAt(reader, at, first)) {
      const std::uint64_t next = at + FrameLength(*header);
      if (next == end || (next + 4 <= end && StreamHeaderAt(reader, next, first))) return at;
    }
    ++at;
  }
  return end;
}

}  // namespace

FrameTally CountFrames(ByteSource& file, std::uint64_t offset, const FrameHeader& first, std::uint64_t end) {
  FrameTally tally;
  tally.lowestBitrate = tally.highestBitrate = first.bitrate;
  tally.end = offset;
  BlockReader reader(file, end);
  std::uint64_t at = offset;
  while (at + 4 <= end) {
    const auto header = StreamHeaderAt(reader, at, first);
    if (!header) {
      const std::uint64_t found = Resynchronise(reader, at, first, end);
      tally.skipped += found - at;
      at = found;
      continue;
    }
    const std::uint32_t length = FrameLength(*header);
    if (at + length > end) break;
    ++tally.frames;
    tally.bytes += length;
    tally.lowestBitrate = std::min(tally.lowestBitrate, header->bitrate);
    tally.highestBitrate = std::max(tally.highestBitrate, header->bitrate);
    at += length;
    tally.end = at;
  }
  return tally;
}

}  // namespace vtinspect
