#include "TextCodec.h"

namespace vthost {

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t extra = 0;
    char32_t smallest = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, smallest = 0x80, code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, smallest = 0x800, code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, smallest = 0x10000, code = lead & 0x07u;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;  // the character runs past the end
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not UTF-8.
    if (code < smallest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

namespace {

// Length of the UTF-8 character that starts with `lead` (the text is known
// to be valid UTF-8: it comes from the command line through CLI11's checks
// or from IsValidUtf8).
std::size_t CharacterLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  return 4;
}

}  // namespace

std::optional<FittedText> EncodeFitting(std::string_view utf8, const std::string& encoding,
                                        std::size_t limit) {
  std::optional<std::string> whole = Encode(utf8, encoding);
  if (!whole) return std::nullopt;
  if (whole->size() <= limit) return FittedText{*whole, false};
  // Grow the prefix one character at a time; the encoding of a prefix is
  // not always a prefix of the whole encoding (stateful code pages), so each
  // prefix is encoded afresh. Texts are at most a few hundred bytes.
  FittedText fitted{{}, true};
  std::size_t end = 0;
  while (end < utf8.size()) {
    const std::size_t next = end + CharacterLength(static_cast<unsigned char>(utf8[end]));
    std::optional<std::string> prefix = Encode(utf8.substr(0, next), encoding);
    if (!prefix || prefix->size() > limit) break;
    fitted.bytes = std::move(*prefix);
    end = next;
  }
  return fitted;
}

}  // namespace vthost
