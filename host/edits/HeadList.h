// The LIST INFO chunk before a WAVE file's audio, brought in step with the
// texts the module writes behind it. ffmpeg writes its texts there, and
// many readers take the first list they meet (TagLib) or show both (exiftool,
// mediainfo): an edit that changed only the list behind the audio would be
// invisible to them, or shown beside the old texts.
//
// The head list keeps its sub-chunks in their order: the texts of the
// module's ids are replaced by the record's (removed where the record's is
// empty, further copies of an id dropped; a text longer than the module
// writes, which the record holds cut, stays whole), texts of other ids stay
// byte for byte, and ids the record has and the list lacks are added at its
// end. The program name (ISFT) stays the one of the program that made the
// file.
//
// The new list goes where the old one and the filler chunks right behind
// it (JUNK, PAD, FLLR) stood when it fits there, with a JUNK chunk taking up
// the rest: the audio stays where it is. Otherwise the file is rewritten
// with the list grown and JUNK behind it for later edits: up to a head of
// 512 bytes where the head stays that short (the module's own read of the
// list behind the audio reaches no further), else 1 KiB.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "RiffChunks.h"
#include "edits/ContentPlan.h"
#include "edits/ModuleOutput.h"

namespace vthost {

inline constexpr std::size_t kHeadListRoom = 1024;
// A head up to this long leaves the list behind the audio within the
// module's own read; a grown list keeps it so where it can.
inline constexpr std::size_t kModuleReach = 512;

struct HeadListPlan {
  bool present = false;  // the file has a list before its audio
  ContentPlan content;   // empty: the list is in step already, or there is none
  // Ids kept out of the head list: their text holds "data", which the
  // module's search for the data chunk would take for its id. They stand in
  // the list behind the audio alone.
  std::vector<std::string> leftOut;
  std::string refusal;  // why the list cannot be brought in step; nothing is planned then
};

// `head` is the file's bytes from offset 0 to the data chunk's body, `facts`
// the walk of the file (of `fileSize` bytes), `texts` what the module writes
// (InfoTextsFor).
HeadListPlan PlanHeadList(std::string_view head, std::uint64_t fileSize, const vtinspect::RiffFacts& facts,
                          const std::array<std::string, kWrittenInfoIds>& texts);

}  // namespace vthost
