#include "command/InfoCommand.h"

#include <iostream>

#include "command/FileReading.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "report/JsonRenderer.h"
#include "report/TextRenderer.h"
#include "system/FileNames.h"

namespace vthost {

int RunInfo(const InfoOptions& options) {
  const FileList list = ListFiles(options.paths, true, options.allFiles);
  for (const UnreadFolder& unread : list.unread) ReportFailure(DisplayName(unread.folder), unread.words);
  Progress progress(list.files.size());
  bool first = true;
  for (std::size_t i = 0; i < list.files.size(); ++i) {
    const std::filesystem::path& path = list.files[i];
    const std::string name = DisplayName(path);
    progress.Show(i + 1, name);
    const FileReading reading = ReadFile(path, name, options.encoding);
    progress.Clear();
    if (reading.failure != 0) {
      ReportFailure(name, reading.words);
      if (options.json) std::cout << RenderJson(reading.report) << '\n';
      continue;
    }
    if (!reading.words.empty())
      ReportWarning(name,
                    "the module gives no record (" + reading.words + "); shown from the file's own bytes");
    if (options.json) {
      std::cout << RenderJson(reading.report) << '\n';
    } else {
      std::cout << (first ? "" : "\n") << RenderText(reading.report);
      first = false;
    }
    std::cout.flush();
  }
  return FilesExitStatus();
}

}  // namespace vthost
