#include "command/UndoCommand.h"

#include <iostream>

#include "command/Messages.h"
#include "journal/JournalStore.h"
#include "journal/Undo.h"

namespace vthost {
namespace {

// The newest run not undone yet that is no plain undo: undo after undo goes
// further back. An undo is undone (redone) by naming it; that redo counts as
// a write, which a later undo takes back again.
std::optional<int> LastUndoable(const std::filesystem::path& root) {
  const std::vector<int> ids = RunIds(root);
  for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
    const auto run = ReadRun(root, *id);
    if (!run || run->undoneBy) continue;
    if (!run->undoes) return *id;
    const auto undone = ReadRun(root, *run->undoes);
    if (undone && undone->undoes) return *id;
  }
  return std::nullopt;
}

}  // namespace

int RunUndo(const UndoOptions& options) {
  auto limits = ResolveJournalLimits(options.journal);
  if (auto* usage = std::get_if<std::string>(&limits)) {
    ReportUsage(*usage);
    return kExitUsage;
  }
  const auto root = JournalRoot();
  if (!root) {
    ReportRunFailure("no folder for the undo journal (HOME is not set)");
    return kExitFileFailed;
  }
  const std::optional<int> id = options.run ? options.run : LastUndoable(*root);
  if (!id) {
    ReportRunFailure("the journal keeps no run to undo (see vomtrail history)");
    return kExitFileFailed;
  }
  const auto run = ReadRun(*root, *id);
  if (!run) {
    ReportRunFailure("the journal keeps no run " + std::to_string(*id) + " (see vomtrail history)");
    return kExitFileFailed;
  }
  if (run->undoneBy)
    ReportRunWarning("run " + std::to_string(*id) + " was undone by run " + std::to_string(*run->undoneBy) +
                     " already; files as they were before it are left as they are");
  RunJournal journal(options.commandText, std::get<JournalLimits>(limits), *id);
  const WriteCounts counts = UndoRun(*run, journal);
  const std::string summary = "undo of run " + std::to_string(*id) + ": " + SummaryLine(counts, "put back");
  journal.Finish(summary);
  if (counts.refused == 0 && counts.failed == 0 && journal.Id() != 0) MarkUndone(*run, journal.Id());
  std::cout << summary << '\n';
  return FilesExitStatus();
}

}  // namespace vthost
