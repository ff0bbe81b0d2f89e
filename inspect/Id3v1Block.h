// The 128-byte ID3v1 block at the end of a file, read by the inspection for
// files the module does not read (2 GiB and more). "TAG", then title,
// artist and album of 30 bytes, the year of 4, the comment of 30 (ID3v1.1:
// 28, a zero byte and the track number) and the genre number.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vtinspect {

struct Id3v1Block {
  // Bytes in the writer's code page, without the padding (zeros, spaces).
  std::string title, artist, album, year, comment;
  std::optional<int> track;  // ID3v1.1 only; track 0 is no track
  std::optional<int> genre;  // nothing for 255, "no genre"
};

std::optional<Id3v1Block> ParseId3v1Block(std::string_view block);

}  // namespace vtinspect
