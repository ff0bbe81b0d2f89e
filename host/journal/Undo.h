// Undoing a run from its journal: each file it wrote gets its old content
// back, byte for byte, and each file it renamed its old name, last first.
// A file that changed since the run (its size, time, identity or the bytes
// the run wrote differ) is refused and left as it is.
#pragma once

#include "command/RunSummary.h"
#include "journal/JournalStore.h"
#include "journal/RunJournal.h"

namespace vthost {

// Undoes `run`, recording what it does in `journal` (an undo can be undone
// too); messages go to stdout and stderr as the run goes. The counts say
// restored files as written.
WriteCounts UndoRun(const RunRecord& run, RunJournal& journal);

}  // namespace vthost
