// Small files of each container and a record that edits them, shared by the
// tests of the writing path.
#pragma once

#include "ByteBuilder.h"
#include "TagInfo.h"

namespace vomtrail::testing {

using Bytes = std::vector<std::uint8_t>;

// A record of the given kind with a new title, artist, INFO name and genre.
inline TagInfo EditRecord(std::uint8_t kind, std::uint8_t hasTag = 0) {
  TagInfo info = FilledRecord(0);
  info.FileKind = kind;
  info.HasTag = hasTag;
  SetItem(info, VT_ITEM_TITLE, "New title");
  SetItem(info, VT_ITEM_ARTIST, "New artist");
  SetItem(info, 0, "Name");
  info.Items[VT_ITEM_GENRE].Length = 1;
  info.Items[VT_ITEM_GENRE].Text[0] = 13;
  return info;
}

// A bare stream: a frame header, then filler.
inline Bytes BareFile(std::size_t size) {
  return ByteBuilder().Raw({0xFF, 0xFB, 0x90, 0x64}).PadTo(size, 0x11);
}

// A WAVE file with a 44-byte head, the audio and what follows it.
inline Bytes WaveFile(std::uint32_t audio, const Bytes& after = {}) {
  return ByteBuilder()
      .Text("RIFF")
      .Le32(0)
      .Text("WAVE")
      .Text("fmt ")
      .Le32(16)
      .Repeat(2, 16)
      .Text("data")
      .Le32(audio)
      .Raw({0xFF, 0xFB, 0x90, 0x64})
      .PadTo(44 + audio, 0x22)
      .Append(after);
}

// An RMP3 file: its 20-byte head, the audio and what follows it.
inline Bytes Rmp3File(std::uint32_t audio, const Bytes& after = {}) {
  return ByteBuilder()
      .Text("RIFF")
      .Le32(0)
      .Text("RMP3")
      .Text("data")
      .Le32(audio)
      .Raw({0xFF, 0xFB, 0x90, 0x64})
      .PadTo(20 + audio, 0x33)
      .Append(after);
}

}  // namespace vomtrail::testing
