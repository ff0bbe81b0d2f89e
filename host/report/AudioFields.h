// The report's facts about the audio itself, all from the inspection of the
// file's bytes: the first frame's header, the length and bitrate with where
// they come from, the encoder, and what a file without MPEG audio is.
#pragma once

#include <vector>

#include "report/FileView.h"
#include "report/Report.h"

namespace vthost {

// The stream, its flags, its length and its encoder; for a file without an
// MPEG stream, what it is instead (and the length of other WAVE audio).
std::vector<Field> AudioFields(const FileView& file);

}  // namespace vthost
