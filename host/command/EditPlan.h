// What `vomtrail set` is to do to a file: the record SetInfo gets (texts of
// every INFO list, the edits, texts a change of form or a tag taken out of
// the audio would lose), whether the audio moves and which way, the list
// before a WAVE file's audio, and the ID3v2 tag to take out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "TagInfo.h"
#include "command/EditRead.h"
#include "edits/HeadList.h"
#include "edits/ModuleOutput.h"
#include "edits/TagEdits.h"

namespace vthost {

// What the write is to do.
struct Plan {
  int mode = VT_MODE_MP3;
  TagInfo before{};  // the file's texts, as the record shows them before the edits
  TagInfo info{};    // the record SetInfo gets
  std::uint64_t stripped = 0;
  WriteOutcome outcome;
  std::string obstacle;  // why a write that moves the audio goes in place; empty through a new file
  HeadListPlan head;     // planned on the file as it is: the module keeps a WAVE file's head
};

// Without --to a file keeps its form: each FileKind has the mode that
// writes it.
int ModeFor(const std::optional<int>& mode, const TagInfo& info);

// The plan, or nothing with the refusal reported; warnings are reported.
std::optional<Plan> MakePlan(const std::filesystem::path& path, const ModuleName& moduleName,
                             const EditRead& read, int mode, const SetOptions& options, const TagEdits& edits,
                             const std::string& name);

}  // namespace vthost
