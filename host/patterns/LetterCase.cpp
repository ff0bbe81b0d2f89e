#include "patterns/LetterCase.h"

#include "system/TextCodec.h"

namespace vthost {
namespace {

char32_t Decode(std::string_view text, std::size_t at, std::size_t length) {
  const auto byte = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(text[at + i]));
  };
  switch (length) {
    case 2:
      return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
      return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    case 4:
      return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    default:
      return byte(0);
  }
}

void Append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The blocks where a capital and its small letter lie a fixed distance
// apart, or alternate (even capital, odd small letter).
struct CaseRange {
  char32_t first, last;  // the capitals
  char32_t distance;     // to the small letters; 1 for alternating pairs
};

constexpr CaseRange kRanges[] = {
    {U'A', U'Z', 32},     {0x00C0, 0x00D6, 32}, {0x00D8, 0x00DE, 32},  // Latin-1 but ×
    {0x0391, 0x03A1, 32}, {0x03A3, 0x03AB, 32},                        // Greek but final sigma
    {0x0410, 0x042F, 32}, {0x0400, 0x040F, 80},                        // Cyrillic
};

bool Alternating(char32_t c) {  // Latin Extended-A pairs
  // Not U+0130 and U+0131, the Turkish dotted capital and dotless small i,
  // whose partners are plain ASCII letters.
  return (c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177);
}

bool AlternatingOdd(char32_t c) {  // the pairs from 0x0139 start on an odd capital
  return (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
}

char32_t ToUpper(char32_t c) {
  for (const CaseRange& range : kRanges)
    if (c >= range.first + range.distance && c <= range.last + range.distance) return c - range.distance;
  if (Alternating(c) && c % 2 == 1) return c - 1;
  if (AlternatingOdd(c) && c % 2 == 0) return c - 1;
  if (c == 0x00FF) return 0x0178;
  return c;
}

char32_t ToLower(char32_t c) {
  for (const CaseRange& range : kRanges)
    if (c >= range.first && c <= range.last) return c + range.distance;
  if (Alternating(c) && c % 2 == 0) return c + 1;
  if (AlternatingOdd(c) && c % 2 == 1) return c + 1;
  if (c == 0x0178) return 0x00FF;
  return c;
}

bool IsWordCharacter(char32_t c) {
  if ((c >= U'0' && c <= U'9') || c == U'\'' || c == 0x2019) return true;
  if (c >= 0x2000 && c <= 0x206F) return false;  // dashes, quotes and spaces of General Punctuation
  return ToUpper(c) != c || ToLower(c) != c || c >= 0x0100;  // letters, and scripts without case
}

}  // namespace

std::string InCase(std::string_view text, LetterCase letterCase) {
  if (letterCase == LetterCase::Keep) return std::string(text);
  std::string out;
  out.reserve(text.size());
  bool wordStart = true;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {  // not UTF-8: kept as it is
      out += text[at++];
      wordStart = true;
      continue;
    }
    const char32_t c = Decode(text, at, length);
    char32_t mapped = c;
    switch (letterCase) {
      case LetterCase::Upper:
        mapped = ToUpper(c);
        break;
      case LetterCase::Lower:
        mapped = ToLower(c);
        break;
      default:
        mapped = wordStart ? ToUpper(c) : ToLower(c);
        break;
    }
    Append(out, mapped);
    wordStart = !IsWordCharacter(c);
    at += length;
  }
  return out;
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); ++count) {
    const std::size_t length = Utf8SequenceLength(text, at);
    at += length == 0 ? 1 : length;
  }
  return count;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (; at < text.size() && count > 0; --count) {
    const std::size_t length = Utf8SequenceLength(text, at);
    at += length == 0 ? 1 : length;
  }
  return text.substr(0, at);
}

}  // namespace vthost
