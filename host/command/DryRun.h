// `vomtrail set --dry-run`: what a write would do to a file, shown and not
// done.
#pragma once

#include <cstdint>
#include <string>

#include "FileProbe.h"
#include "TagInfo.h"
#include "edits/HeadList.h"
#include "edits/ModuleOutput.h"

namespace vthost {

struct DryRunView {
  const std::string& name;
  const vtinspect::FileProbe& probe;  // the file as it is
  const TagInfo& before;              // its texts as read
  const TagInfo& after;               // the record the write would get
  int mode;                           // VT_MODE_*
  const WriteOutcome& outcome;
  std::uint64_t stripped;       // bytes of ID3v2 tag taken out of the audio
  const std::string& obstacle;  // why a moving write would go in place; empty through a new file
  const HeadListPlan& head;
  const std::string& encoding;
};

// Prints the form, each text that changes (old -> new), whether the audio
// moves and how many bytes would be written.
void ShowDryRun(const DryRunView& view);

}  // namespace vthost
