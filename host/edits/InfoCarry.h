// RIFF INFO texts across a rewrite. The module reads INFO texts only in a
// window of about 1,000 bytes from the data size plus 21 on, which in a
// WAVE file with a long head lies inside the audio, and writes the record's
// items behind the audio; texts that stand in a list before "data" (where
// ffmpeg and most tools put them) or out of the module's reach would be
// missing from the new list. The host carries the texts of every list it
// reads itself into the record, and mirrors the ID3v1 edits into the INFO
// ids that mean the same.
#pragma once

#include <string>
#include <vector>

#include "RiffChunks.h"
#include "TagInfo.h"
#include "edits/TagEdits.h"

namespace vthost {

// The texts of the lists behind the audio, as the command reads them, over
// what the module read for the same ids (of several lists the last wins,
// as in the module's own read).
void CarryTailInfo(const std::vector<vtinspect::InfoText>& tail, TagInfo& info);

// Puts each head text whose item the record leaves empty into the record.
void CarryHeadInfo(const std::vector<vtinspect::InfoText>& head, TagInfo& info);

// Sets INAM, IART, IPRD, ICMT, ICRD and IGNR from the title, artist, album,
// comment, year and genre edits, except for ids that --info sets itself.
void MirrorId3v1Edits(const TagEdits& edits, TagInfo& info);

// Cuts the INFO items the module writes to kInfoTextWidth (Record.h);
// returns their ids.
std::vector<std::string> CutInfoTexts(TagInfo& info);

// The INFO ids that a write in `mode` (VT_MODE_*) would lose, in order: for
// an MP3 file every INFO text of the record or the head list but those that
// come over to the ID3v1 block, for an RMP3 file the head texts the record
// has no item for.
std::vector<std::string> DroppedInfoIds(const TagInfo& info, const std::vector<vtinspect::InfoText>& head,
                                        int mode);

}  // namespace vthost
