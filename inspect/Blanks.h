// Tag fields are padded to their width: ID3v1 with spaces or zeros, INFO
// texts by some writers with spaces, zeros or line ends. The padding is not
// part of the text.
#pragma once

#include <string_view>

namespace vtinspect {

// A blank is a space or a control byte, as the module's readers count them.
constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

constexpr std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace vtinspect
