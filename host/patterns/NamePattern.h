// Fields read out of file names: `--from-name '{artist} - {album}/{track}
// {title}'` takes the artist and the album from the name of the file's
// folder, the track and the title from its own name. The pattern's parts
// between slashes are matched against the last parts of the file's path,
// from the right: its last part against the file's name without the
// extension (with it, when that part of the pattern has a dot), the one
// before against the folder's name, and so on. Within a part, a text field
// takes as little as lets the rest match, so "{artist} - {title}" splits
// "A - B - C" at the first " - "; track and year take digits only; values
// lose the spaces around them. A field named twice must read the same both
// times.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "patterns/Pattern.h"

namespace vthost {

class NamePattern {
 public:
  // The pattern, or the words of what is wrong with it: besides a Pattern's
  // mistakes, a path field or a format (nothing to read them into), two
  // fields with nothing between them unless the first is a number, and a
  // pattern without fields.
  static std::variant<NamePattern, std::string> Parse(std::string_view text);

  // The fields read from the path (made absolute first, so that the folders
  // above a file named from within its folder count), or nothing when the
  // path does not match.
  std::optional<FieldValues> Match(const std::filesystem::path& path) const;

 private:
  std::vector<std::vector<PatternPart>> components_;  // between slashes, left to right
  bool lastWithExtension_ = false;
};

}  // namespace vthost
