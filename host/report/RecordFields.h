// The module's own figures for the file, as GetInfo gave them: kept apart
// from the true ones at the top of the report, under "record". Its play
// time divides by 38.3 frames a second at any sample rate, its constant-rate
// length counts the tags' bytes, its bitrate is the first frame's; a host
// of the module shows these, and a script may want to compare.
#pragma once

#include "report/FileView.h"
#include "report/Report.h"

namespace vthost {

Field RecordFields(const FileView& file);

}  // namespace vthost
