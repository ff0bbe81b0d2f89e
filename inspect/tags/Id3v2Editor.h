// Changes texts in an ID3v2 tag and nothing else: same version, every other
// frame byte for byte in its place and order, the padding taking up the
// difference. Pure: bytes in, bytes out; the caller writes them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Bytes.h"

namespace vtinspect {

// The frames edited: TIT2, TPE1, TALB, the year (TYER in 2.3, TDRC in 2.4,
// TYE in 2.2; a 2.3 tag's TDRC and a 2.4 tag's TYER, where writers put
// them, get the new year too), COMM with language "eng" and no description
// (or, without one, the first comment without a description), TRCK, TCON;
// 2.2 tags get the three-letter ids of the same frames.
enum class TextField { kTitle, kArtist, kAlbum, kYear, kComment, kTrack, kGenre };

struct TextEdit {
  TextField field;
  std::string value;  // UTF-8; empty removes the frame
};

// Room left behind the frames when the tag has to grow, so that the next
// few edits fit without moving the audio again.
inline constexpr std::size_t kGrowthPadding = 1024;

struct Id3v2Rewrite {
  std::vector<std::uint8_t> tag;  // the new tag; empty when refused
  std::string refusal;            // why the tag was not rewritten; empty when it was
  bool Refused() const { return !refusal.empty(); }
};

// Whether `text` is a 2.4 timestamp, "yyyy[-MM[-dd[THH[:mm[:ss]]]]]": the
// dates TDRC holds. A 2.2 or 2.3 year is its first four digits alone.
bool IsId3v2Timestamp(std::string_view text);

// `tag` holds a whole tag from its header on (bytes behind it are ignored).
// An edited frame is replaced where it stood (further frames of the same id
// are removed); a new one goes behind the last frame. Texts are written in
// ISO-8859-1 when they fit it, else in UTF-16 with a byte order mark (2.2,
// 2.3) or UTF-8 (2.4). The tag keeps its length when the frames fit the old
// padding; otherwise it grows to hold them and kGrowthPadding zero bytes.
// 2.2 and 2.3 tags unsynchronised as a whole are rewritten unsynchronised:
// kept frames as they were stored, new frames unsynchronised.
// Refused, with the reason: compressed or encrypted frames, 2.4 tag-level
// unsynchronisation, a footer, an extended header with a CRC, frames or
// padding the walk cannot account for, a year that is not four digits in
// 2.2 or 2.3 (or, in 2.4, not a timestamp "yyyy[-MM[-dd[THH[:mm[:ss]]]]]"),
// a text that is not UTF-8, a tag that would pass the largest size.
Id3v2Rewrite EditId3v2Texts(Bytes tag, std::span<const TextEdit> edits);

}  // namespace vtinspect
