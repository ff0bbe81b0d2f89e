// Texts and names made from a file's fields: "{track:02} {title}" gives
// "07 Blue in Green". A field is written {name} or {name:format}, where the
// format is any of a width (02 pads with zeros, 3 with spaces, on the left),
// a longest length (.20, in characters), and upper, lower or title, joined
// by colons ({artist:upper:.20}). {{ and }} stand for one brace. A pattern
// is checked whole before it is used: an unknown field or a stray brace is
// the user's mistake, found before any file is touched.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "patterns/FieldNames.h"
#include "patterns/LetterCase.h"

namespace vthost {

struct FieldUse {
  std::string name;  // canonical (FieldNames.h)
  std::size_t width = 0;
  char fill = ' ';
  std::optional<std::size_t> longest;
  LetterCase letterCase = LetterCase::Keep;
  bool formatted = false;  // any format given at all
};

// Literal text, or one field.
struct PatternPart {
  std::string literal;
  std::optional<FieldUse> field;
};

class Pattern {
 public:
  // The pattern, or the words of what is wrong with it.
  static std::variant<Pattern, std::string> Parse(std::string_view text);

  const std::vector<PatternPart>& Parts() const { return parts_; }
  bool HasFields() const;

  // The text for a file with these field values; missing fields are empty.
  std::string Render(const FieldValues& values) const;

  // The fields the pattern names that have no value or an empty one.
  std::vector<std::string> EmptyFields(const FieldValues& values) const;

 private:
  std::vector<PatternPart> parts_;
};

// One field's value as a FieldUse formats it.
std::string Formatted(const FieldUse& use, std::string_view value);

}  // namespace vthost
