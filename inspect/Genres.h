// The conventional ID3v1 genre list: the ID3v1 block stores only a number,
// and players agree on names for 0 to 191. 255 means "no genre". ID3v2
// texts refer to the same numbers as "(13)".
#pragma once

#include <optional>
#include <string_view>

namespace vtinspect {

inline constexpr int kNoGenre = 255;

// The name of genre `number`, or nothing for numbers without one.
std::optional<std::string_view> GenreName(int number);

// The number of a genre name, letter case ignored.
std::optional<int> GenreByName(std::string_view name);

}  // namespace vtinspect
