#include "report/OutputEscape.h"

#include "system/TextCodec.h"

namespace vthost {
namespace {

const char kDigits[] = "0123456789abcdef";

void AppendHex(std::string& out, const char* prefix, unsigned value) {
  out += prefix;
  out += kDigits[(value >> 4) & 15u];
  out += kDigits[value & 15u];
}

}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const unsigned lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = Utf8SequenceLength(text, at);
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
