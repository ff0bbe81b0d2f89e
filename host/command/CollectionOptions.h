// The options of the commands that work on whole collections: export,
// import, rename, history and undo. CommandLine.cpp adds them beside info,
// set and version.
#pragma once

#include <CLI/CLI.hpp>

#include "command/ExportCommand.h"

namespace vthost {

CLI::App* AddExport(CLI::App& app, ExportOptions& options);

// --jobs N: the threads that read files; checked to lie between 1 and 256.
void AddJobs(CLI::App& command, unsigned& jobs);

}  // namespace vthost
