#include "FrameScan.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vtinspect {
namespace {

constexpr std::size_t kBlock = 4u << 20;

// The file's bytes one block at a time, in one buffer kept from block to
// block; a request the block does not hold reads the next block from where
// it starts.
class BlockReader {
 public:
  BlockReader(ByteSource& file, std::uint64_t begin, std::uint64_t end)
      : file_(file),
        end_(end),
        capacity_(static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, end > begin ? end - begin : 0))),
        block_(std::make_unique<char[]>(capacity_)) {}

  // Up to `count` bytes at `offset` (fewer only at the end).
  std::string_view At(std::uint64_t offset, std::size_t count) {
    if (offset < start_ || offset + count > start_ + held_) {
      if (offset >= end_) return {};
      start_ = offset;
      held_ = file_.ReadInto(offset, block_.get(),
                             static_cast<std::size_t>(std::min<std::uint64_t>(capacity_, end_ - offset)));
    }
    return Rest(offset).substr(0, count);
  }
  // The rest of the block from `offset`, which it holds.
  std::string_view Rest(std::uint64_t offset) const {
    return std::string_view(block_.get(), held_).substr(static_cast<std::size_t>(offset - start_));
  }

 private:
  ByteSource& file_;
  std::uint64_t end_;
  std::size_t capacity_;
  std::unique_ptr<char[]> block_;
  std::uint64_t start_ = 0;
  std::size_t held_ = 0;
};

// The frames of one stream. Its version, layer and sample rate are the
// first frame's, so a frame's length follows from its bitrate index and
// padding bit alone: looked up, not worked out for each frame.
class StreamFrames {
 public:
  struct Frame {
    std::uint32_t length;
    int bitrate;
  };

  // `header`: the first frame's four bytes.
  explicit StreamFrames(std::string_view header)
      : mark_(static_cast<unsigned char>(header[1]) & 0xFEu), rate_((Byte(header, 2) >> 2) & 3u) {
    std::string bytes(header.substr(0, 4));
    for (unsigned index = 1; index < 15; ++index) {
      for (unsigned padding = 0; padding < 2; ++padding) {
        bytes[2] = static_cast<char>((index << 4) | (rate_ << 2) | (padding << 1));
        if (const auto decoded = DecodeFrameHeader(bytes)) {
          lengths_[index][padding] = FrameLength(*decoded);
          bitrates_[index] = decoded->bitrate;
        }
      }
    }
  }

  // The frame at the start of `bytes`, when it is one of this stream's.
  std::optional<Frame> At(std::string_view bytes) const {
    if (bytes.size() < 4 || Byte(bytes, 0) != 0xFF || (Byte(bytes, 1) & 0xFEu) != mark_ ||
        ((Byte(bytes, 2) >> 2) & 3u) != rate_)
      return std::nullopt;
    const unsigned index = Byte(bytes, 2) >> 4;
    const std::uint32_t length = lengths_[index][(Byte(bytes, 2) >> 1) & 1u];
    if (length == 0) return std::nullopt;  // the free format, the reserved index 15
    return Frame{length, bitrates_[index]};
  }

 private:
  static unsigned Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
  }

  unsigned mark_;  // byte 1 without the CRC bit: the sync bits, version and layer
  unsigned rate_;  // the sample-rate index
  std::array<std::array<std::uint32_t, 2>, 16> lengths_{};
  std::array<int, 16> bitrates_{};
};

// The next frame of the stream behind `offset` that the frame behind it
// confirms (or whose frame ends the audio); `end` when there is none.
std::uint64_t Resynchronise(BlockReader& reader, const StreamFrames& stream, std::uint64_t offset,
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
    if (const auto frame = stream.At(reader.At(at, 4))) {
      const std::uint64_t next = at + frame->length;
      if (next == end || (next + 4 <= end && stream.At(reader.At(next, 4)))) return at;
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
  BlockReader reader(file, offset, end);
  const std::string_view header = reader.At(offset, 4);
  if (header.size() < 4) return tally;
  const StreamFrames stream(header);
  std::uint64_t at = offset;
  while (at + 4 <= end) {
    const auto frame = stream.At(reader.At(at, 4));
    if (!frame) {
      const std::uint64_t found = Resynchronise(reader, stream, at, end);
      tally.skipped += found - at;
      at = found;
      continue;
    }
    if (at + frame->length > end) break;
    ++tally.frames;
    tally.bytes += frame->length;
    tally.lowestBitrate = std::min(tally.lowestBitrate, frame->bitrate);
    tally.highestBitrate = std::max(tally.highestBitrate, frame->bitrate);
    at += frame->length;
    tally.end = at;
  }
  return tally;
}

}  // namespace vtinspect
