// Tag texts are bytes in some code page: the module never looks inside
// them. The host shows them as UTF-8 and encodes the user's UTF-8 into the
// code page the user names. Linux converts with iconv, Windows with the
// system's code pages (TextCodecPosix.cpp, TextCodecWin32.cpp); the UTF-8 rules
// are the same everywhere (TextCodec.cpp).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vthost {

inline constexpr const char* kDefaultEncoding = "CP1252";

// The length of the valid UTF-8 character at `at` (1 to 4), or 0 for a byte
// that does not start one: a stray continuation byte, an overlong form, a
// UTF-16 surrogate, a value past U+10FFFF, a character cut short.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

bool IsValidUtf8(std::string_view bytes);

// Whether the platform can convert to and from this code page name.
bool IsKnownEncoding(const std::string& encoding);

// Whether the code page writes ASCII letters, digits, spaces and the
// common punctuation as the same single bytes: the ID3v1 and INFO fields
// hold 8-bit texts that every reader takes as such. UTF-16, UTF-32, UCS-2
// and UTF-7 do not; neither does EBCDIC. Backslash and tilde are left out
// of the test: Shift_JIS gives their bytes to the yen sign and overline.
bool KeepsAsciiAsIs(const std::string& encoding);

// Bytes as the user should see them: unchanged when they already are valid
// UTF-8, otherwise decoded from `encoding`, with U+FFFD for any byte that
// has no meaning there.
std::string ToDisplay(std::string_view bytes, const std::string& encoding);

// UTF-8 text in `encoding`, or nothing when some character has no form
// there.
std::optional<std::string> Encode(std::string_view utf8, const std::string& encoding);

struct FittedText {
  std::string bytes;
  bool cut = false;
};

// The longest leading part of `utf8`, whole characters only, whose encoding
// takes at most `limit` bytes. Nothing when a character cannot be encoded.
std::optional<FittedText> EncodeFitting(std::string_view utf8, const std::string& encoding,
                                        std::size_t limit);

}  // namespace vthost
