// Upper, lower and title case of UTF-8 texts for names and tags. Only the
// scripts tags of this kind are written in have their letters mapped here
// (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic); every other
// character is kept as it is, so a text never loses a character to a case
// it has no form in.
#pragma once

#include <string>
#include <string_view>

namespace vthost {

enum class LetterCase { Keep, Upper, Lower, Title };

// `text` in the case asked for. Title case starts every word with a capital
// and writes the rest of it in small letters; a word starts after any
// character that is not a letter, a digit or an apostrophe ("don't").
std::string InCase(std::string_view text, LetterCase letterCase);

// The number of characters of UTF-8 text; a byte that starts none counts as
// one.
std::size_t CharacterCount(std::string_view text);

// The first `count` characters of UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count);

}  // namespace vthost
