#include "command/ExportCommand.h"

#include <iostream>

#include "command/FileLook.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/OrderedWork.h"
#include "command/Progress.h"
#include "command/RunSummary.h"
#include "system/FileNames.h"
#include "system/Interrupt.h"
#include "table/TableText.h"

namespace vthost {

int RunExport(const ExportOptions& options) {
  const FileList list = ListFiles(options.paths, true, options.allFiles);
  for (const UnreadFolder& unread : list.unread) ReportFailure(DisplayName(unread.folder), unread.words);
  CatchInterrupt();
  if (!options.json) std::cout << CsvHeader();
  Progress progress(list.files.size());
  struct Outcome {
    std::string text, failure;
  };
  const std::function<Outcome(std::size_t)> read = [&](std::size_t i) {
    const FileLook file = LookAtFile(list.files[i]);
    if (file.failure) return Outcome{"", *file.failure};
    const TableRow row =
        RowOfFile(file.path, file.info, file.recordRead, file.inspection.probe, file.stamp, options.encoding);
    return Outcome{options.json ? JsonText(row) : CsvText(row), ""};
  };
  const std::function<void(std::size_t, Outcome &&)> show = [&](std::size_t i, Outcome&& outcome) {
    progress.Show(i + 1, DisplayName(list.files[i]));
    if (!outcome.failure.empty()) {
      ReportFailure(DisplayName(list.files[i]), outcome.failure);
      return;
    }
    std::cout << outcome.text;
  };
  const std::size_t done = RunInOrder<Outcome>(list.files.size(), options.jobs ? options.jobs : DefaultJobs(),
                                               read, show, Interrupted);
  std::cout.flush();
  progress.Clear();
  if (done < list.files.size()) ReportInterrupted(done, list.files.size(), "exported");
  return FilesExitStatus();
}

}  // namespace vthost
