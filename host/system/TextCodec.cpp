#include "system/TextCodec.h"

namespace vthost {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  const std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
  const unsigned second = length > 1 ? byte(at + 1) : 0;
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
      (lead == 0xF4 && second > 0x8F))
    return 0;  // overlong forms, UTF-16 surrogates, beyond U+10FFFF
  return length;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

bool KeepsAsciiAsIs(const std::string& encoding) {
  static constexpr std::string_view kAscii =
      " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{|}";
  const std::optional<std::string> encoded = Encode(kAscii, encoding);
  return encoded && *encoded == kAscii;
}

std::optional<FittedText> EncodeFitting(std::string_view utf8, const std::string& encoding,
                                        std::size_t limit) {
  std::optional<std::string> whole = Encode(utf8, encoding);
  if (!whole) return std::nullopt;
  if (whole->size() <= limit) return FittedText{*whole, false};
  // Grow the prefix one character at a time; the encoding of a prefix is
  // not always a prefix of the whole encoding (stateful code pages), so each
  // prefix is encoded afresh. Texts are at most a few hundred bytes. The text
  // is valid UTF-8 (CLI11 and PrepareEdits check it).
  FittedText fitted{{}, true};
  std::size_t end = 0;
  while (end < utf8.size()) {
    const std::size_t length = Utf8SequenceLength(utf8, end);
    if (length == 0) break;
    std::optional<std::string> prefix = Encode(utf8.substr(0, end + length), encoding);
    if (!prefix || prefix->size() > limit) break;
    fitted.bytes = std::move(*prefix);
    end += length;
  }
  return fitted;
}

}  // namespace vthost
