// The conventional ID3v1 genre list: the ID3v1 block stores only a number,
// and players agree on names for 0 to 191. 255 means "no genre".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vthost {

inline constexpr int kNoGenre = 255;

// The name of genre `number`, or nothing for numbers without one.
std::optional<std::string_view> GenreName(int number);

// The number for a name (letter case ignored) or for a number 0 to 255
// written in digits; nothing when neither fits.
std::optional<int> ParseGenre(const std::string& text);

}  // namespace vthost
