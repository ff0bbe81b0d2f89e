// `vomtrail set --from KIND`: the texts of one tag kind copied into the
// others a file keeps, for players that read only one kind: car stereos
// and old players read only the ID3v1 block, Windows tools only the RIFF
// INFO texts. From ID3v2 the texts go into the ID3v1 fields and, for RIFF
// output, INAM, IART, IPRD, ICRD, ICMT and IGNR; from INFO into the ID3v1
// fields; from ID3v1 into those INFO texts. The ID3v2 tag itself is never
// filled: its texts are the whole ones, the others' are cut to their fields.
//
// A text the source has replaces the target's; a text it lacks leaves the
// target as it is, and so does a text option of the same run, which wins.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "TagInfo.h"
#include "edits/TagEdits.h"
#include "tags/Id3v2Tag.h"

namespace vthost {

enum class CopySource { kId3v2, kInfo, kId3v1 };

// The names --from takes: id3v2, info, id3v1.
std::vector<std::string> CopySourceNames();
CopySource CopySourceNamed(const std::string& name);  // one of CopySourceNames()

// What the source tag shows, as UTF-8.
struct SourceTexts {
  bool present = false;              // the file has such a tag
  std::array<std::string, 5> texts;  // title, artist, album, year (a date), comment: kFieldPairs' order
  std::string genre;                 // the genre's name
  std::optional<int> genreNumber;    // its ID3v1 number, where it has one
  std::optional<int> track;
};

SourceTexts TextsOfId3v2(const vtinspect::Id3v2Tag& tag);
// The INFO or ID3v1 texts of a record as GetInfo and the command's own read
// of the INFO lists leave it, decoded from `encoding` where they are not
// UTF-8.
SourceTexts TextsOfRecord(CopySource from, const TagInfo& info, const std::string& encoding);

struct CopyOutcome {
  bool anyTarget = false;                // the file keeps another kind to fill
  std::vector<std::string> warnings;     // texts cut, a genre ID3v1 has no number for
  std::vector<std::string> unencodable;  // the source's texts the code page cannot hold, written with '?'
};

// Copies `source` into the record written in `mode` (VT_MODE_*), in the
// edits' code page; the edits are in the record already.
CopyOutcome CopyTexts(const SourceTexts& source, CopySource from, int mode, const TagEdits& edits,
                      TagInfo& info);

// "ID3v2", "INFO", "ID3v1": the source in messages.
const char* CopySourceWords(CopySource from);

}  // namespace vthost
