// The four ID3v2 text encodings, decoded to UTF-8 and encoded from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Bytes.h"

namespace vtinspect {

// The encoding byte in front of an ID3v2 text. 2.2 and 2.3 know only the
// first two; 2.4 added the others.
enum class TextEncoding : std::uint8_t { kLatin1 = 0, kUtf16 = 1, kUtf16Be = 2, kUtf8 = 3 };

std::optional<TextEncoding> EncodingFromByte(std::uint8_t byte, int major_version);

// The zero-terminated texts in `bytes`, decoded to UTF-8: a 2.4 text frame
// holds several values this way, and older writers leave a terminator (or
// a run of them) behind the one value. Empty values say nothing and are
// dropped (which also keeps a run of zeros from becoming a long list).
// Nothing when a text is not valid in its encoding, or when there are more
// than `max_values` values (`too_many` then says so): a run of one-byte
// values would otherwise cost far more memory than its bytes.
std::optional<std::vector<std::string>> DecodeTexts(TextEncoding encoding, Bytes bytes,
                                                    std::size_t max_values = SIZE_MAX,
                                                    bool* too_many = nullptr);

// The first terminated text in `bytes` (a description in front of a value)
// and how many bytes it took with its terminator; without a terminator the
// text runs to the end.
struct LeadingText {
  std::string text;
  std::size_t size = 0;
};
std::optional<LeadingText> DecodeLeadingText(TextEncoding encoding, Bytes bytes);

bool IsValidUtf8(std::string_view text);
// True when every character of the UTF-8 `text` is in ISO-8859-1.
bool FitsLatin1(std::string_view text);
// `text` (valid UTF-8) in `encoding`: UTF-16 with a little-endian byte
// order mark, no terminator.
std::vector<std::uint8_t> EncodeText(TextEncoding encoding, std::string_view text);
std::size_t TerminatorSize(TextEncoding encoding);

}  // namespace vtinspect
