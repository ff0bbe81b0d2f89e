// `set` with patterns: every text option may name fields of the file it
// writes (--title '{track:02} {title}'), and --from-name reads fields out of
// each file's path. The patterns are checked once, before any file is
// touched; each file then gets texts of its own.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "edits/TagEdits.h"
#include "patterns/NamePattern.h"
#include "patterns/Pattern.h"

namespace vthost {

class EditPatterns {
 public:
  // The options' patterns and --from-name's, or a usage error naming the
  // option ("--title: unknown field {titel} ...").
  static std::variant<EditPatterns, std::string> Parse(const EditOptions& options,
                                                       const std::optional<std::string>& fromName);

  // Whether the edits differ from file to file (a field or --from-name):
  // each file's fields must then be read first.
  bool PerFile() const;
  bool HasFromName() const { return fromName_.has_value(); }

  // The texts for one file from its fields (TagFields and PathFields). The
  // fields --from-name reads from the path are set, unless an option sets
  // the same field, and stand in for the file's own in the options'
  // patterns: --from-name '{track} {title}' --title '{title:title}' sets
  // the title read from the name in title case. Nothing when the path does
  // not match --from-name.
  std::optional<EditOptions> ForFile(const std::filesystem::path& path, FieldValues values) const;

 private:
  struct TextPattern {
    std::optional<std::string> EditOptions::*option;  // nullptr for an --info text
    std::string infoId;                               // for an --info text
    Pattern pattern;
  };

  EditOptions base_;
  std::vector<TextPattern> texts_;
  std::optional<NamePattern> fromName_;
};

}  // namespace vthost
