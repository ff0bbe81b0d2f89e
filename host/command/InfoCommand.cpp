#include "command/InfoCommand.h"

#include <iostream>

#include "command/FileReading.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/OrderedWork.h"
#include "command/Progress.h"
#include "command/RunSummary.h"
#include "report/JsonRenderer.h"
#include "report/TextRenderer.h"
#include "system/FileNames.h"
#include "system/Interrupt.h"

namespace vthost {
namespace {

// One file as shown: read and rendered on a worker thread, printed in turn.
struct Shown {
  std::string name;
  std::uint32_t failure = 0;
  std::string words;
  std::string text;  // the rendered report
};

}  // namespace

int RunInfo(const InfoOptions& options) {
  const FileList list = ListFiles(options.paths, true, options.allFiles);
  for (const UnreadFolder& unread : list.unread) ReportFailure(DisplayName(unread.folder), unread.words);
  CatchInterrupt();
  Progress progress(list.files.size());
  bool first = true;
  const std::function<Shown(std::size_t)> read = [&](std::size_t i) {
    const std::filesystem::path& path = list.files[i];
    Shown shown{DisplayName(path), 0, "", ""};
    const FileReading reading = ReadFile(path, shown.name, options.encoding);
    shown.failure = reading.failure;
    shown.words = reading.words;
    if (options.json) {
      shown.text = RenderJson(reading.report) + '\n';
    } else if (reading.failure == 0) {
      shown.text = RenderText(reading.report);
    }
    return shown;
  };
  const std::function<void(std::size_t, Shown &&)> show = [&](std::size_t i, Shown&& shown) {
    progress.Show(i + 1, shown.name);
    if (shown.failure != 0) {
      ReportFailure(shown.name, shown.words);
    } else if (!shown.words.empty()) {
      ReportWarning(shown.name,
                    "the module gives no record (" + shown.words + "); shown from the file's own bytes");
    }
    if (shown.text.empty()) return;
    progress.Clear();
    std::cout << (options.json || first ? "" : "\n") << shown.text;
    first = false;
  };
  const std::size_t done = RunInOrder<Shown>(list.files.size(), options.jobs ? options.jobs : DefaultJobs(),
                                             read, show, Interrupted);
  std::cout.flush();
  progress.Clear();
  if (done < list.files.size()) ReportInterrupted(done, list.files.size(), "shown");
  return FilesExitStatus();
}

}  // namespace vthost
