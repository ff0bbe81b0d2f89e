// The skeleton of an ID3v2 tag: its header, the extended header, the body
// as the frames see it (tag-level unsynchronisation undone) and the walk
// over its frames. The reader and the editor both stand on this.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Bytes.h"

namespace vtinspect {

inline constexpr std::size_t kId3v2HeaderSize = 10;

struct Id3v2Header {
  int major = 0;  // 2, 3 or 4 for the versions this code reads
  int revision = 0;
  std::uint8_t flags = 0;
  std::uint32_t size = 0;  // the bytes behind the header, without a footer

  bool Unsynchronised() const { return (flags & 0x80) != 0; }
  // In 2.2 this bit meant a compressed tag, a scheme never defined.
  bool Compressed() const { return major == 2 && (flags & 0x40) != 0; }
  bool HasExtendedHeader() const { return major >= 3 && (flags & 0x40) != 0; }
  bool HasFooter() const { return major == 4 && (flags & 0x10) != 0; }
  std::size_t TotalSize() const { return kId3v2HeaderSize + size + (HasFooter() ? kId3v2HeaderSize : 0); }
};

// The header at the start of `bytes`: "ID3", two version bytes below 0xFF,
// a flags byte and a synchsafe size.
std::optional<Id3v2Header> ParseId3v2Header(Bytes bytes);

struct ExtendedHeader {
  std::size_t size = 0;  // the bytes it takes at the start of the body; 0 without one
  bool has_crc = false;
};

// One frame's place in the body. Kept small: a hostile tag can hold a
// frame every six bytes.
struct FrameSpot {
  std::array<char, 4> id_bytes{};
  std::uint8_t id_size = 0;      // 3 in 2.2, 4 later
  std::uint8_t header_size = 0;  // 6 in 2.2, 10 later
  std::uint16_t flags = 0;       // 0 in 2.2
  std::uint32_t offset = 0;      // of the frame header, in the body (bodies stay under 256 MiB)
  std::uint32_t data_size = 0;

  std::string Id() const { return {id_bytes.data(), id_size}; }
  std::size_t End() const { return std::size_t{offset} + header_size + data_size; }
};

struct FrameWalk {
  std::vector<FrameSpot> frames;
  std::size_t end = 0;       // where padding starts, or where the walk stopped
  bool plain_sizes = false;  // a 2.4 tag whose frame sizes are written the 2.3 way
  std::string stopped;       // why the walk stopped before padding or the end; empty when it did not
};

struct Id3v2Layout {
  Id3v2Header header;
  Bytes raw;                                 // the bytes behind the header, as stored
  bool whole_tag_unsynchronised = false;     // 2.2 and 2.3: the body is resynchronised as a whole
  std::vector<std::uint8_t> resynchronised;  // then: the body with the zeros removed
  std::vector<std::uint32_t> dropped_zeros;  // then: where zeros were removed (see RemoveUnsynchronisation)
  bool truncated = false;                    // the tag is longer than the bytes given
  ExtendedHeader extended;
  std::string extended_damage;  // why the extended header could not be read, when it could not
  FrameWalk walk;

  // What the extended header and the frames are read from.
  Bytes Body() const { return whole_tag_unsynchronised ? Bytes(resynchronised) : raw; }
  // Where body offset `at` lies in `raw`.
  std::size_t RawOffset(std::size_t at) const {
    return at + static_cast<std::size_t>(std::upper_bound(dropped_zeros.begin(), dropped_zeros.end(), at) -
                                         dropped_zeros.begin());
  }
};

// Lays out the tag at the start of `bytes` (the header is known good).
// 2.2 and 2.3 tags with the unsynchronisation flag are resynchronised as a
// whole; 2.4 does it frame by frame.
Id3v2Layout LayOutId3v2(const Id3v2Header& header, Bytes bytes);

// Walks the frames from `begin`. 2.4 frame sizes are synchsafe, but many
// writers used plain 2.3 sizes: when synchsafe sizes do not lead from frame
// to frame to padding or the end and plain sizes do, plain sizes are taken.
FrameWalk WalkFrames(Bytes body, std::size_t begin, int major);

enum class FrameIssue { kNone, kNotRead, kCompressed, kEncrypted, kUnknownFlags, kDamaged };

// A frame's data as its content parser sees it: the bytes the flags add in
// front removed, frame unsynchronisation undone.
struct FrameData {
  FrameIssue issue = FrameIssue::kNone;
  Bytes stored;                              // the data as stored, after the added bytes
  bool unsynchronised = false;               // 2.4: the frame's data was unsynchronised
  std::vector<std::uint8_t> resynchronised;  // then: with the zeros removed

  Bytes Data() const { return unsynchronised ? Bytes(resynchronised) : stored; }
};
FrameData OpenFrame(const FrameSpot& frame, const Id3v2Layout& layout);

}  // namespace vtinspect
