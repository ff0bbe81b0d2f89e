// The module's list of RIFF INFO ids, built from the public table in
// InfoIds.h. The reader looks for all seventeen; the writer writes
// sub-chunks for the first sixteen and ends the list with an "IID3" chunk
// of its own.
#pragma once

#include <array>
#include <string_view>

#include "InfoIds.h"
#include "TagInfo.h"

namespace vomtrail {

using FourCC = std::array<unsigned char, 4>;

constexpr FourCC MakeFourCC(std::string_view s) {
  return {static_cast<unsigned char>(s[0]), static_cast<unsigned char>(s[1]),
          static_cast<unsigned char>(s[2]), static_cast<unsigned char>(s[3])};
}

#define VT_MODULE_FOURCC(item, id, description) MakeFourCC(id),
inline constexpr std::array<FourCC, VT_INFO_ITEM_COUNT> kInfoIds = {VT_INFO_ID_TABLE(VT_MODULE_FOURCC)};
#undef VT_MODULE_FOURCC

// The table lists its items in order, one per INFO item, ending at "IID3".
#define VT_MODULE_ITEM_IN_ORDER(item, id, description) static_assert(MakeFourCC(id) == kInfoIds[item]);
VT_INFO_ID_TABLE(VT_MODULE_ITEM_IN_ORDER)
#undef VT_MODULE_ITEM_IN_ORDER
static_assert(kInfoIds[VT_ITEM_IID3] == MakeFourCC("IID3") && kInfoIds[VT_ITEM_ISFT] == MakeFourCC("ISFT"));

// The writer's sub-chunks: every id but the last.
inline constexpr std::size_t kWrittenInfoIds = VT_ITEM_IID3;

}  // namespace vomtrail
