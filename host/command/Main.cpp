// vomtrail: read and edit the tags of MPEG, RIFF RMP3 and WAVE files from a
// terminal, through the tag module's three exported functions.
#include <cstdio>
#include <string>
#include <vector>

#include "command/CommandLine.h"
#include "command/ExportCommand.h"
#include "command/HistoryCommand.h"
#include "command/ImportCommand.h"
#include "command/InfoCommand.h"
#include "command/Messages.h"
#include "command/RenameCommand.h"
#include "command/SetCommand.h"
#include "command/UndoCommand.h"
#include "command/VersionCommand.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"
#include "system/Terminal.h"
#include "system/TextCodec.h"

namespace {

using namespace vthost;

int Run(int argc, char** argv) {
  const CommandLine line = ParseCommandLine(argc, argv);
  if (line.exitStatus) return *line.exitStatus;
  if (const std::string failure = LoadModule(); !failure.empty()) {
    ReportRunFailure(failure);
    return kExitFileFailed;
  }
  if (line.command == Command::Version) return RunVersion();
  for (const std::string* encoding :
       {&line.info.encoding, &line.set.edits.encoding, &line.exportTable.encoding, &line.rename.encoding}) {
    if (!IsKnownEncoding(*encoding)) {
      ReportUsage("unknown encoding " + *encoding);
      return kExitUsage;
    }
  }
  switch (line.command) {
    case Command::Info:
      return RunInfo(line.info);
    case Command::Export:
      return RunExport(line.exportTable);
    case Command::Import:
      return RunImport(line.importTable);
    case Command::Rename:
      return RunRename(line.rename);
    case Command::History:
      return RunHistory(line.history);
    case Command::Undo:
      return RunUndo(line.undo);
    default:
      return RunSet(line.set);
  }
}

}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  std::vector<std::string> arguments = CommandLineUtf8(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  try {
    return Run(static_cast<int>(pointers.size()), pointers.data());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vomtrail: %s\n", e.what());
    return kExitFileFailed;
  }
}
