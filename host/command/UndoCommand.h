// `vomtrail undo [RUN]`: puts back what a run wrote and renamed (the newest
// run not undone yet, or the one named), byte for byte.
#pragma once

#include <optional>

#include "journal/JournalLimits.h"

namespace vthost {

struct UndoOptions {
  std::optional<int> run;
  JournalOptions journal;
  std::string commandText;  // for the undo's own journal
};

int RunUndo(const UndoOptions& options);

}  // namespace vthost
