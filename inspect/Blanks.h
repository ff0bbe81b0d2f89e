// Tag fields are padded to their width: ID3v1 with spaces or zeros, INFO
// texts by some writers with spaces, zeros or line ends. The padding is not
// part of the text.
#pragma once

#include <string_view>

#include "Texts.h"

namespace vtinspect {

// A blank as the module counts it.
constexpr bool IsBlank(char c) { return vomtrail::IsBlank(static_cast<std::uint8_t>(c)); }

constexpr std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace vtinspect
