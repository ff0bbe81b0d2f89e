// The edits of `vomtrail set`, checked once for the whole run and applied to
// each file's record. Texts arrive as UTF-8 and go into the record as bytes
// of the chosen code page, cut at whole characters to their field's width.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Commands.h"
#include "TagInfo.h"

namespace vthost {

struct TextEdit {
  int item;           // index into TagInfo.Items
  std::string label;  // how the user knows the field
  std::string utf8;
};

struct TagEdits {
  std::vector<TextEdit> texts;
  std::optional<int> track;
  std::optional<int> genre;
  bool touchesInfo = false;  // any RIFF INFO text: lost in an MP3 file
  std::string encoding;
};

// The edits, or the words of a usage error (unknown genre or INFO id, a
// text the code page cannot hold, an unknown code page).
std::variant<TagEdits, std::string> PrepareEdits(const SetOptions& options);

// Whether any title, artist, album, year, comment, track or genre changes.
bool TouchesId3v1(const TagEdits& edits);
bool IsEmpty(const TagEdits& edits);

struct CutField {
  std::string label;
  std::size_t width;
};

// Applies the edits to a record GetInfo filled from FreshRecord() and
// returns the fields whose text did not fit.
std::vector<CutField> ApplyEdits(const TagEdits& edits, TagInfo& info);

}  // namespace vthost
