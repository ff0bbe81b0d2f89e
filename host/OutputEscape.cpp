#include "OutputEscape.h"

namespace vthost {
namespace {

const char kDigits[] = "0123456789abcdef";

void AppendHex(std::string& out, const char* prefix, unsigned value) {
  out += prefix;
  out += kDigits[(value >> 4) & 15u];
  out += kDigits[value & 15u];
}

// The length of the valid UTF-8 sequence at `at`, or 0.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  std::size_t length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
  const unsigned second = byte(at + 1 < text.size() ? at + 1 : at);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
      (lead == 0xF4 && second > 0x8F))
    return 0;  // overlong forms, surrogates, beyond U+10FFFF
  return length;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const unsigned lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = SequenceLength(text, at);
    if (length == 0 || (length == 1 && (lead < 0x20 || lead == 0x7F))) {
      AppendHex(out, "\\x", lead);
      ++at;
    } else if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
      AppendHex(out, "\\u00", static_cast<unsigned char>(text[at + 1]));  // C1 controls U+0080 to U+009F
      at += 2;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) AppendHex(out, "", static_cast<unsigned char>(c));
  return out;
}

}  // namespace vthost
