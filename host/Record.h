// Reading and writing the texts of the host's TagInfo record.
#pragma once

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "TagInfo.h"

namespace vthost {

// The RIFF INFO ids that give items 0 to 16 their meaning, in item order.
inline constexpr std::array<std::string_view, VT_INFO_ITEM_COUNT> kInfoIds = {
    "INAM", "IART", "IPRD", "ICMT", "IGNR", "IMP3", "ICOP", "ICRD", "IENG",
    "ISRC", "ISFT", "IKEY", "ITCH", "ILYC", "ICMS", "IMED", "IID3"};

// A Track value GetInfo never writes: the host presets it to learn whether
// the file's ID3v1 block had the track byte of the ID3v1.1 form.
inline constexpr std::int32_t kNoTrack = -1;

inline std::string_view TextOf(const Str255& item) {
  return {reinterpret_cast<const char*>(item.Text), item.Length};
}

inline void Store(Str255& item, std::string_view bytes) {
  item.Length = static_cast<std::uint8_t>(bytes.size() < 255 ? bytes.size() : 255);
  // An empty view may carry no pointer at all, which memcpy must not see.
  if (item.Length != 0) std::memcpy(item.Text, bytes.data(), item.Length);
}

// The ID3v1 genre number: the one byte of item 22.
inline int GenreNumber(const TagInfo& info) { return info.Items[VT_ITEM_GENRE].Text[0]; }

// A record as the host passes it to GetInfo: cleared, so that a file
// without tags shows empty texts, and the track marked as unread.
inline TagInfo FreshRecord() {
  TagInfo info{};
  info.Track = kNoTrack;
  return info;
}

}  // namespace vthost
