// One file's tag write as the collection commands make it (import now, set
// on folders later): the same steps as `set` on a named file, with the
// journal told before and after, and an outcome the run's summary counts.
#pragma once

#include <filesystem>

#include "command/SetCommand.h"
#include "edits/TagEdits.h"
#include "journal/RunJournal.h"

namespace vthost {

enum class WriteOutcome { Written, Unchanged, Refused, Failed };

// Messages go to stderr as `set` gives them; "written as ..." to stdout.
WriteOutcome WriteTags(const std::filesystem::path& path, const SetOptions& options, const TagEdits& edits,
                       RunJournal& journal);

}  // namespace vthost
