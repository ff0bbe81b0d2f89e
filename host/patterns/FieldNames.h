// The fields a pattern may name: the texts of a file's tags, the parts of
// its path, and any RIFF INFO id. One list for the patterns that make texts
// and names and for those that read fields out of names.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vthost {

enum class FieldKind {
  Text,    // title, artist, album, comment, genre: any text
  Number,  // track, year: digits
  Info,    // a RIFF INFO id, e.g. INAM
  Path,    // filename, stem, ext, dir, parent: read from the path, never set
};

// The field's name as the rest of the command knows it ("title", "INAM"),
// whatever the letter case it was written in, or nothing for a name that is
// no field.
std::optional<std::string> CanonicalField(std::string_view written);

FieldKind KindOf(const std::string& canonical);

// The field names a person may write, for help and error messages.
std::string KnownFieldsWords();

// The values of a file's fields by canonical name; a field the file does not
// have is absent, and shows as empty.
using FieldValues = std::map<std::string, std::string, std::less<>>;

}  // namespace vthost
