// The command line: the commands, the options of each, and their help.
#pragma once

#include <optional>

#include "command/ExportCommand.h"
#include "command/HistoryCommand.h"
#include "command/ImportCommand.h"
#include "command/InfoCommand.h"
#include "command/RenameCommand.h"
#include "command/SetCommand.h"
#include "command/UndoCommand.h"

namespace vthost {

enum class Command { Info, Set, Version, Export, Import, Rename, History, Undo };

struct CommandLine {
  Command command = Command::Version;
  InfoOptions info;
  SetOptions set;
  ExportOptions exportTable;
  ImportOptions importTable;
  RenameOptions rename;
  HistoryOptions history;
  UndoOptions undo;
  // Set when the run ends here: help was asked for (0), or the command line
  // is wrong (2, said on stderr).
  std::optional<int> exitStatus;
};

// The arguments as UTF-8 (CommandLineUtf8), the program's name first.
CommandLine ParseCommandLine(int argc, char** argv);

}  // namespace vthost
