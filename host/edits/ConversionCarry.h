// Texts that a change of form would otherwise lose. A bare MPEG file keeps
// its texts in the ID3v1 block alone; a RIFF file keeps them in its INFO
// list too. When a file changes form, the texts the new form has a place
// for come over into the fields the edit leaves alone: INAM, IART, IPRD,
// ICRD, ICMT and IGNR to the ID3v1 title, artist, album, year, comment and
// genre, and back. An ID3v2 tag taken out of the audio gives its texts to
// both the same way.
#pragma once

#include <string>
#include <vector>

#include "Record.h"
#include "TagInfo.h"
#include "edits/FieldPairs.h"
#include "edits/TagEdits.h"
#include "tags/Id3v2Tag.h"

namespace vthost {

// Whether the edit decides the item: set directly, or (for RIFF output)
// mirrored from the ID3v1 field it sets. Copied and carried texts give way
// to it.
bool EditSets(const TagEdits& edits, int item);

// For a write of a `kind` file (VT_KIND_*) in `mode` (VT_MODE_*); the
// record holds the edits already. Returns what was cut to its field, as
// warnings.
std::vector<std::string> CarryAcrossForms(int kind, int mode, const TagEdits& edits, TagInfo& info);

// The title, artist, album, year, comment, genre and track of an ID3v2 tag
// into the empty ID3v1 fields and, for RIFF output, the empty INFO texts,
// in the edit's code page. Returns the warnings: texts cut, and texts the
// code page cannot hold (left out).
std::vector<std::string> CarryId3v2Texts(const vtinspect::Id3v2Tag& tag, int mode, const TagEdits& edits,
                                         TagInfo& info);

// `bytes` cut to at most `width` bytes at a character's end: of UTF-8 when
// they are UTF-8, else of `encoding`.
std::string CutToField(std::string_view bytes, std::size_t width, const std::string& encoding);

}  // namespace vthost
