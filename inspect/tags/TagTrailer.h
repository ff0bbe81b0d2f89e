// The blocks that may follow the audio at the end of an MPEG file: the
// 128-byte ID3v1 block, a Lyrics3 block in front of it, an APE tag; found
// from the last bytes of the file, in whatever order they stand.
#pragma once

#include <cstdint>
#include <vector>

#include "Bytes.h"

namespace vtinspect {

inline constexpr std::size_t kId3v1Size = 128;

enum class TrailerKind { kId3v1, kLyrics3v1, kLyrics3v2, kApe };

struct TrailerBlock {
  TrailerKind kind;
  std::uint64_t begin = 0;  // offset in the file
  std::uint64_t size = 0;
};

struct Trailer {
  std::uint64_t audio_end = 0;       // the file's size less the blocks
  std::vector<TrailerBlock> blocks;  // in file order
  // A block's start lies before the bytes given: its range comes from its
  // own size field, unchecked; give more bytes to read it.
  bool beyond_window = false;
};

// `tail` holds the last bytes of a file of `file_size` bytes (64 KiB is
// plenty for the usual tags).
Trailer FindTrailer(std::uint64_t file_size, Bytes tail);

}  // namespace vtinspect
