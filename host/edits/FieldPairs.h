// The ID3v1 fields and the RIFF INFO ids that hold the same text. Whatever
// keeps the two kinds in step uses this one list: a text edit mirrored into
// the INFO list, a change of form carrying texts over, `set --from`, and an
// imported row's edits.
#pragma once

#include "Record.h"
#include "TagInfo.h"

namespace vthost {

// An ID3v1 field and the INFO item that means the same.
struct FieldPair {
  int id3v1;
  int info;
  const char* label;  // the ID3v1 field's name
};

inline constexpr FieldPair kFieldPairs[] = {{VT_ITEM_TITLE, InfoItemOf("INAM"), "title"},
                                            {VT_ITEM_ARTIST, InfoItemOf("IART"), "artist"},
                                            {VT_ITEM_ALBUM, InfoItemOf("IPRD"), "album"},
                                            {VT_ITEM_YEAR, InfoItemOf("ICRD"), "year"},
                                            {VT_ITEM_COMMENT, InfoItemOf("ICMT"), "comment"}};
// The genre pairs too, but as a number in the ID3v1 block and a name in
// the INFO list, so it is handled apart.
inline constexpr int kGenreInfo = InfoItemOf("IGNR");

}  // namespace vthost
