// The edits of `vomtrail set`, checked once for the whole run and applied to
// each file's record. Texts arrive as UTF-8 and go into the record as bytes
// of the chosen code page, cut at whole characters to their field's width.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "TagInfo.h"

namespace vthost {

// The edit options as the command line gives them.
struct EditOptions {
  std::optional<std::string> title, artist, album, year, comment, genre;
  std::optional<std::string> track;  // N, or N/TOTAL
  std::vector<std::string> info;     // ID=TEXT
  std::string encoding;
};

struct TextEdit {
  int item;           // index into TagInfo.Items
  std::string label;  // how the user knows the field
  std::string utf8;
};

struct TagEdits {
  std::vector<TextEdit> texts;
  std::optional<int> track;
  std::optional<std::string> trackTotal;  // given, and with no place in ID3v1
  std::optional<int> genre;
  bool touchesInfo = false;  // any RIFF INFO text: lost in an MP3 file
  std::string encoding;
};

// The edits, or the words of a usage error (unknown genre or INFO id, a
// track that is not a number 0 to 255, a text the code page cannot hold, an
// unknown code page or one that does not write ASCII as single bytes).
std::variant<TagEdits, std::string> PrepareEdits(const EditOptions& options);

// The INFO ids --info takes, with what each means: "INAM title, IART
// artist, ...".
std::string WritableInfoIds();

// Whether any title, artist, album, year, comment, track or genre changes.
bool TouchesId3v1(const TagEdits& edits);
bool IsEmpty(const TagEdits& edits);

// How many bytes a text of item `item` takes in the file: 30 for the ID3v1
// title, artist and album, 4 for the year, 30 or (with a track) 28 for the
// comment, kInfoTextWidth (Record.h) for an INFO text.
std::size_t FieldWidth(int item, const TagInfo& info);

struct CutField {
  std::string label;
  std::size_t width;
};

// Applies the edits to a record GetInfo filled from FreshRecord() and
// returns the fields whose text did not fit.
std::vector<CutField> ApplyEdits(const TagEdits& edits, TagInfo& info);

}  // namespace vthost
