// RIFF INFO texts across a rewrite. The module reads INFO texts only behind
// the audio and writes the record's items there; texts that stand in a list
// before "data" (where ffmpeg and most tools put them) would be missing from
// the new list, and readers that take the last list would lose them. The
// host carries them into the record and mirrors the ID3v1 edits into the
// INFO ids that mean the same.
#pragma once

#include <string>
#include <vector>

#include "RiffChunks.h"
#include "TagEdits.h"
#include "TagInfo.h"

namespace vthost {

// The longest INFO text that reads back whole: the module takes only the low
// byte of a chunk size, and a 255-byte text has the size 256.
inline constexpr std::size_t kInfoTextWidth = 254;

// Puts each head text whose item the record leaves empty into the record.
void CarryHeadInfo(const std::vector<InfoText>& head, TagInfo& info);

// Sets INAM, IART, IPRD, ICMT, ICRD and IGNR from the title, artist, album,
// comment, year and genre edits, except for ids that --info sets itself.
void MirrorId3v1Edits(const TagEdits& edits, TagInfo& info);

// Cuts the INFO items the module writes to kInfoTextWidth; returns their ids.
std::vector<std::string> CutInfoTexts(TagInfo& info);

// The INFO ids that a write would lose: for an MP3 file every INFO text of
// the record or the head list, for an RMP3 file the head texts the record
// has no item for.
std::vector<std::string> DroppedInfoIds(const TagInfo& info, const std::vector<InfoText>& head, int mode);

}  // namespace vthost
