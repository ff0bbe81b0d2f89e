// The options of the commands that work on whole collections: export,
// import, rename, history and undo. CommandLine.cpp adds them beside info,
// set and version.
#pragma once

#include <CLI/CLI.hpp>

#include "command/ExportCommand.h"
#include "command/HistoryCommand.h"
#include "command/ImportCommand.h"
#include "command/RenameCommand.h"
#include "command/UndoCommand.h"

namespace vthost {

CLI::App* AddExport(CLI::App& app, ExportOptions& options);
CLI::App* AddImport(CLI::App& app, ImportOptions& options);
CLI::App* AddRename(CLI::App& app, RenameOptions& options);
CLI::App* AddHistory(CLI::App& app, HistoryOptions& options);
CLI::App* AddUndo(CLI::App& app, UndoOptions& options);

// --journal-size and --journal-days, for every command that writes.
void AddJournalOptions(CLI::App& command, JournalOptions& options);

// --jobs N: the threads that read files; checked to lie between 1 and 256.
void AddJobs(CLI::App& command, unsigned& jobs);

}  // namespace vthost
