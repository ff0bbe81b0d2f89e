#include "ByteBuilder.h"

#include <algorithm>
#include <cstring>

namespace vomtrail::testing {

std::vector<std::uint8_t> Id3v1Block(std::string_view title, std::string_view artist, std::string_view album,
                                     std::string_view year, std::string_view comment, int track,
                                     std::uint8_t genre, std::uint8_t pad) {
  std::vector<std::uint8_t> block(128, pad);
  std::memcpy(block.data(), "TAG", 3);
  const auto put = [&](std::size_t at, std::string_view text, std::size_t width) {
    std::memcpy(block.data() + at, text.data(), std::min(text.size(), width));
  };
  put(3, title, 30);
  put(33, artist, 30);
  put(63, album, 30);
  put(93, year, 4);
  if (track >= 0) {
    put(97, comment, 28);
    block[125] = 0;
    block[126] = static_cast<std::uint8_t>(track);
  } else {
    put(97, comment, 30);
  }
  block[127] = genre;
  return block;
}

TagInfo FilledRecord(std::uint8_t fill) {
  TagInfo info;
  std::memset(&info, fill, sizeof info);
  return info;
}

void SetItem(TagInfo& info, int item, std::string_view text) {
  info.Items[item].Length = static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), 255));
  std::memcpy(info.Items[item].Text, text.data(), info.Items[item].Length);
}

std::string ItemText(const TagInfo& info, int item) {
  return std::string(reinterpret_cast<const char*>(info.Items[item].Text), info.Items[item].Length);
}

}  // namespace vomtrail::testing
