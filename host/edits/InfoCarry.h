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
#include "TagInfo.h"
#include "edits/TagEdits.h"

namespace vthost {

// Puts each head text whose item the record leaves empty into the record.
void CarryHeadInfo(const std::vector<vtinspect::InfoText>& head, TagInfo& info);

// Sets INAM, IART, IPRD, ICMT, ICRD and IGNR from the title, artist, album,
// comment, year and genre edits, except for ids that --info sets itself.
void MirrorId3v1Edits(const TagEdits& edits, TagInfo& info);

// Cuts the INFO items the module writes to kInfoTextWidth (Record.h);
// returns their ids.
std::vector<std::string> CutInfoTexts(TagInfo& info);

// The INFO ids that a write in `mode` (VT_MODE_*) would lose: for an MP3
// file every INFO text of the record or the head list, for an RMP3 file the
// head texts the record has no item for.
std::vector<std::string> DroppedInfoIds(const TagInfo& info, const std::vector<vtinspect::InfoText>& head,
                                        int mode);

}  // namespace vthost
