#include "patterns/Pattern.h"

#include <algorithm>
#include <cctype>

namespace vthost {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// A width or a length of at most three digits: names and fields are short.
std::optional<std::size_t> SmallCount(std::string_view digits) {
  if (!AllDigits(digits) || digits.size() > 3) return std::nullopt;
  return static_cast<std::size_t>(std::stoul(std::string(digits)));
}

// Reads "02", ".20", "upper" and the like into `use`; false for anything else.
bool ReadFormat(std::string_view item, FieldUse& use) {
  if (item == "upper" || item == "lower" || item == "title") {
    use.letterCase = item == "upper"   ? LetterCase::Upper
                     : item == "lower" ? LetterCase::Lower
                                       : LetterCase::Title;
    return true;
  }
  if (!item.empty() && item[0] == '.') {
    const auto longest = SmallCount(item.substr(1));
    if (!longest || *longest == 0) return false;
    use.longest = longest;
    return true;
  }
  const auto width = SmallCount(item);
  if (!width) return false;
  use.width = *width;
  use.fill = item[0] == '0' && item.size() > 1 ? '0' : ' ';
  return true;
}

std::variant<FieldUse, std::string> ReadField(std::string_view inside) {
  const std::size_t colon = inside.find(':');
  const std::string_view name = inside.substr(0, colon);
  const auto canonical = CanonicalField(name);
  if (!canonical)
    return "unknown field {" + std::string(name) + "}; the fields are " + KnownFieldsWords() +
           " (write {{ and }} for a brace)";
  FieldUse use;
  use.name = *canonical;
  for (std::size_t at = colon; at != std::string_view::npos;) {
    const std::size_t next = inside.find(':', at + 1);
    const std::string_view item =
        inside.substr(at + 1, next == std::string_view::npos ? next : next - at - 1);
    if (!ReadFormat(item, use))
      return "unknown format \"" + std::string(item) + "\" in {" + std::string(inside) +
             "}: a width (02), a longest length (.20), upper, lower or title";
    use.formatted = true;
    at = next;
  }
  return use;
}

}  // namespace

std::variant<Pattern, std::string> Pattern::Parse(std::string_view text) {
  Pattern pattern;
  std::string literal;
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if ((c == '{' || c == '}') && at + 1 < text.size() && text[at + 1] == c) {
      literal += c;
      at += 2;
      continue;
    }
    if (c == '}') return std::string("a } without its {: write }} for a brace");
    if (c != '{') {
      literal += c;
      ++at;
      continue;
    }
    const std::size_t close = text.find('}', at);
    const std::size_t nested = text.find('{', at + 1);
    if (close == std::string_view::npos || nested < close)
      return std::string("a { without its }: write {{ for a brace");
    auto field = ReadField(text.substr(at + 1, close - at - 1));
    if (auto* error = std::get_if<std::string>(&field)) return *error;
    if (!literal.empty()) pattern.parts_.push_back({std::move(literal), std::nullopt});
    literal.clear();
    pattern.parts_.push_back({"", std::get<FieldUse>(field)});
    at = close + 1;
  }
  if (!literal.empty()) pattern.parts_.push_back({std::move(literal), std::nullopt});
  return pattern;
}

bool Pattern::HasFields() const {
  return std::any_of(parts_.begin(), parts_.end(),
                     [](const PatternPart& part) { return part.field.has_value(); });
}

std::string Formatted(const FieldUse& use, std::string_view value) {
  std::string text = InCase(value, use.letterCase);
  if (use.longest) text = std::string(FirstCharacters(text, *use.longest));
  const std::size_t count = CharacterCount(text);
  if (count < use.width) text.insert(0, use.width - count, use.fill);
  return text;
}

std::string Pattern::Render(const FieldValues& values) const {
  std::string out;
  for (const PatternPart& part : parts_) {
    if (!part.field) {
      out += part.literal;
      continue;
    }
    const auto found = values.find(part.field->name);
    out +=
        Formatted(*part.field, found == values.end() ? std::string_view() : std::string_view(found->second));
  }
  return out;
}

std::vector<std::string> Pattern::EmptyFields(const FieldValues& values) const {
  std::vector<std::string> empty;
  for (const PatternPart& part : parts_) {
    if (!part.field) continue;
    const auto found = values.find(part.field->name);
    if ((found == values.end() || found->second.empty()) &&
        std::find(empty.begin(), empty.end(), part.field->name) == empty.end())
      empty.push_back(part.field->name);
  }
  return empty;
}

}  // namespace vthost
