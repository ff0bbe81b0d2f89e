#include "patterns/FieldNames.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vthost {
namespace {

struct NamedField {
  std::string_view name;
  FieldKind kind;
};

constexpr std::array kNamedFields = {
    NamedField{"title", FieldKind::Text},   NamedField{"artist", FieldKind::Text},
    NamedField{"album", FieldKind::Text},   NamedField{"year", FieldKind::Number},
    NamedField{"comment", FieldKind::Text}, NamedField{"track", FieldKind::Number},
    NamedField{"genre", FieldKind::Text},   NamedField{"filename", FieldKind::Path},
    NamedField{"stem", FieldKind::Path},    NamedField{"ext", FieldKind::Path},
    NamedField{"dir", FieldKind::Path},     NamedField{"parent", FieldKind::Path},
};

// RIFF INFO ids are four letters or digits, and by convention start with I.
bool IsInfoId(std::string_view id) {
  return id.size() == 4 && id[0] == 'I' && std::all_of(id.begin(), id.end(), [](unsigned char c) {
           return std::isupper(c) || std::isdigit(c);
         });
}

std::string Mapped(std::string_view text, int (*map)(int)) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [map](unsigned char c) { return static_cast<char>(map(c)); });
  return out;
}

}  // namespace

std::optional<std::string> CanonicalField(std::string_view written) {
  const std::string lower = Mapped(written, [](int c) { return std::tolower(c); });
  for (const NamedField& field : kNamedFields)
    if (field.name == lower) return lower;
  const std::string upper = Mapped(written, [](int c) { return std::toupper(c); });
  if (IsInfoId(upper)) return upper;
  return std::nullopt;
}

FieldKind KindOf(const std::string& canonical) {
  for (const NamedField& field : kNamedFields)
    if (field.name == canonical) return field.kind;
  return FieldKind::Info;
}

std::string KnownFieldsWords() {
  std::string words;
  for (const NamedField& field : kNamedFields) words += (words.empty() ? "" : ", ") + std::string(field.name);
  return words + " and any INFO id such as INAM";
}

}  // namespace vthost
