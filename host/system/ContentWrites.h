// The command's own writes (the list before a WAVE file's audio, an ID3v2
// tag cut out of a data chunk) go through the same commit layer as the
// module's: a write that moves old bytes is made in a new file beside the
// old one and put in its place in one step; one that keeps them in place
// writes only its new bytes, in an order a rerun completes.
#pragma once

#include <cstdint>
#include <string>

#include "TagInfo.h"
#include "edits/ContentPlan.h"

namespace vthost {

// Puts the plan on the disk for the file the module knows by `name`
// (FileNames.h). 0, or the Win32 code of the failure; the file is then as
// it was, as far as the system lets it be.
std::uint32_t CommitPlan(const Str255& name, const ContentPlan& plan);

// How a write that moves the audio would reach the file: an empty text
// when through a new file, else why in place (hard links, a folder that
// may not be written, ...).
std::string MovingWriteObstacle(const Str255& name);

}  // namespace vthost
