// The host's TagInfo record as every room of the command uses it: which INFO
// id each item holds, how a text is read from and stored into an item, and
// the marks the command puts into a record before GetInfo fills it.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "InfoIds.h"
#include "TagInfo.h"

namespace vthost {

struct InfoId {
  int item;
  std::string_view id;           // the four letters of the RIFF sub-chunk
  std::string_view description;  // what a person knows it by
};

// Items 0 to 16 in item order, from the one table of INFO ids.
#define VT_HOST_INFO_ID(item, id, description) InfoId{item, id, description},
inline constexpr std::array<InfoId, VT_INFO_ITEM_COUNT> kInfoIds = {{VT_INFO_ID_TABLE(VT_HOST_INFO_ID)}};
#undef VT_HOST_INFO_ID

// The item that holds an INFO id, for ids the command names in its code.
consteval int InfoItemOf(std::string_view id) {
  for (const InfoId& known : kInfoIds)
    if (known.id == id) return known.item;
  throw "not an INFO id of the table";  // a compile error, never thrown
}

// The longest INFO text that reads back whole: the module takes only the low
// byte of a chunk size, and a 255-byte text has the size 256, low byte 0.
inline constexpr std::size_t kInfoTextWidth = 254;

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
