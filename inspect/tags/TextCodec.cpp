#include "TextCodec.h"

namespace vtinspect {
namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
  auto put = [&out](std::uint32_t byte) {
    out.push_back(static_cast<char>(static_cast<std::uint8_t>(byte)));
  };
  if (code < 0x80) {
    put(code);
  } else if (code < 0x800) {
    put(0xC0 | code >> 6);
    put(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    put(0xE0 | code >> 12);
    put(0x80 | (code >> 6 & 0x3F));
    put(0x80 | (code & 0x3F));
  } else {
    put(0xF0 | code >> 18);
    put(0x80 | (code >> 12 & 0x3F));
    put(0x80 | (code >> 6 & 0x3F));
    put(0x80 | (code & 0x3F));
  }
}

// Reads one UTF-8 character at `at`, moving `at` past it; nothing for an
// invalid, overlong or surrogate sequence.
std::optional<std::uint32_t> NextUtf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  std::size_t length = 0;
  std::uint32_t code = 0;
  std::uint32_t least = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1Fu, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0Fu, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07u, least = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() - at < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<std::uint8_t>(text[at + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = code << 6 | (next & 0x3Fu);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  at += length;
  return code;
}

// One UTF-16 text without its terminator. `big_endian` carries the byte
// order from one value to the next: in a 2.4 list only the first value
// may have a byte order mark.
std::optional<std::string> DecodeUtf16(Bytes bytes, bool& big_endian, bool byte_order_mark_allowed) {
  std::size_t at = 0;
  if (byte_order_mark_allowed && bytes.size() >= 2) {
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) big_endian = false, at = 2;
    if (bytes[0] == 0xFE && bytes[1] == 0xFF) big_endian = true, at = 2;
  }
  auto unit = [&](std::size_t i) -> std::uint32_t {
    return big_endian ? (static_cast<std::uint32_t>(bytes[i]) << 8 | bytes[i + 1])
                      : (static_cast<std::uint32_t>(bytes[i + 1]) << 8 | bytes[i]);
  };
  std::string out;
  out.reserve(bytes.size());
  for (; at + 1 < bytes.size(); at += 2) {
    std::uint32_t code = unit(at);
    if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (at + 3 >= bytes.size()) return std::nullopt;
      const std::uint32_t low = unit(at + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      at += 2;
    }
    AppendUtf8(out, code);
  }
  // A lone byte left over is either a one-byte terminator, which some
  // writers put behind UTF-16 texts, or a broken text.
  if (at < bytes.size() && bytes[at] != 0) return std::nullopt;
  return out;
}

bool IsUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::kUtf16 || encoding == TextEncoding::kUtf16Be;
}

// Where the text starting at `from` ends: its terminator's offset, or the
// end of the bytes. UTF-16 terminators are two zero bytes on a code unit
// boundary.
std::size_t TextEnd(TextEncoding encoding, Bytes bytes, std::size_t from) {
  if (IsUtf16(encoding)) {
    for (std::size_t at = from; at + 1 < bytes.size(); at += 2) {
      if (bytes[at] == 0 && bytes[at + 1] == 0) return at;
    }
    return bytes.size();
  }
  for (std::size_t at = from; at < bytes.size(); ++at) {
    if (bytes[at] == 0) return at;
  }
  return bytes.size();
}

std::optional<std::string> DecodeOne(TextEncoding encoding, Bytes bytes, bool& big_endian) {
  switch (encoding) {
    case TextEncoding::kLatin1: {
      std::string out;
      out.reserve(bytes.size());
      for (std::uint8_t byte : bytes) AppendUtf8(out, byte);
      return out;
    }
    case TextEncoding::kUtf16:
      return DecodeUtf16(bytes, big_endian, true);
    case TextEncoding::kUtf16Be: {
      // A byte order mark is not part of this encoding, but writers that
      // put one in mean only the byte order it confirms.
      bool be = true;
      return DecodeUtf16(bytes, be, true);
    }
    case TextEncoding::kUtf8: {
      std::string out(AsText(bytes));
      if (!IsValidUtf8(out)) return std::nullopt;
      return out;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<TextEncoding> EncodingFromByte(std::uint8_t byte, int major_version) {
  if (byte > 3 || (major_version < 4 && byte > 1)) return std::nullopt;
  return static_cast<TextEncoding>(byte);
}

std::optional<std::vector<std::string>> DecodeTexts(TextEncoding encoding, Bytes bytes,
                                                    std::size_t max_values, bool* too_many) {
  if (too_many) *too_many = false;
  std::vector<std::string> texts;
  bool big_endian = false;  // UTF-16 without a byte order mark is read as little-endian
  const std::size_t terminator = TerminatorSize(encoding);
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = TextEnd(encoding, bytes, at);
    auto text = DecodeOne(encoding, bytes.subspan(at, end - at), big_endian);
    if (!text) return std::nullopt;
    if (!text->empty()) {
      if (texts.size() == max_values) {
        if (too_many) *too_many = true;
        return std::nullopt;
      }
      texts.push_back(std::move(*text));
    }
    at = end == bytes.size() ? end : end + terminator;
  }
  return texts;
}

std::optional<LeadingText> DecodeLeadingText(TextEncoding encoding, Bytes bytes) {
  const std::size_t end = TextEnd(encoding, bytes, 0);
  bool big_endian = false;
  auto text = DecodeOne(encoding, bytes.first(end), big_endian);
  if (!text) return std::nullopt;
  return LeadingText{std::move(*text), end == bytes.size() ? end : end + TerminatorSize(encoding)};
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    if (!NextUtf8(text, at)) return false;
  }
  return true;
}

bool FitsLatin1(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto code = NextUtf8(text, at);
    if (!code || *code > 0xFF) return false;
  }
  return true;
}

std::vector<std::uint8_t> EncodeText(TextEncoding encoding, std::string_view text) {
  std::vector<std::uint8_t> out;
  if (encoding == TextEncoding::kUtf8) return {text.begin(), text.end()};
  const bool big_endian = encoding == TextEncoding::kUtf16Be;
  auto put_unit = [&out, big_endian](std::uint32_t unit) {
    const auto high = static_cast<std::uint8_t>(unit >> 8);
    const auto low = static_cast<std::uint8_t>(unit & 0xFF);
    out.push_back(big_endian ? high : low);
    out.push_back(big_endian ? low : high);
  };
  if (encoding == TextEncoding::kUtf16) put_unit(0xFEFF);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t start = at;
    const std::uint32_t code = NextUtf8(text, at).value_or(0xFFFD);
    if (at == start) ++at;  // an invalid byte stands for one replacement character
    if (encoding == TextEncoding::kLatin1) {
      out.push_back(static_cast<std::uint8_t>(code <= 0xFF ? code : '?'));
    } else if (code >= 0x10000) {
      put_unit(0xD800 + ((code - 0x10000) >> 10));
      put_unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      put_unit(code);
    }
  }
  return out;
}

std::size_t TerminatorSize(TextEncoding encoding) { return IsUtf16(encoding) ? 2 : 1; }

}  // namespace vtinspect
