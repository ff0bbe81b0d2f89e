#include "command/InfoCommand.h"

#include <iostream>

#include "FileProbe.h"
#include "Record.h"
#include "Vomtrail.h"
#include "command/ErrorWords.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "report/FileReport.h"
#include "report/JsonRenderer.h"
#include "report/TextRenderer.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"

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
    const vtinspect::FileProbe probe = vtinspect::ProbeFile(path);
    const ModuleName moduleName(path);
    TagInfo info = FreshRecord();
    std::uint32_t code = moduleName.Failure();
    if (moduleName.Usable())
      code = probe.TooShort() ? std::uint32_t{VT_HANDLE_EOF} : CallGetInfo(moduleName.Name(), info);
    progress.Clear();
    // A file that is not MPEG audio is reported as such, whatever the module
    // made of its bytes; its failure words would only mislead.
    const bool notAudio = probe.readable && !probe.TooShort() && !probe.Recognised();
    if (code != VT_OK && !notAudio) {
      std::string words = code == VT_INVALID_NAME && !moduleName.Usable() ? kUnusableName
                          : probe.TooShort()                              ? kTooShort
                                             : FailureWords(code, info.FileKind, path);
      if (probe.IsRiffAudio() && probe.riff->Streamed()) words = kStreamedWave;
      ReportFailure(name, words);
      if (options.json) std::cout << RenderJson(DescribeFailure(name, code, words)) << '\n';
      continue;
    }
    const Report report = DescribeFile({name, info, code == VT_OK, probe}, options.encoding);
    if (options.json) {
      std::cout << RenderJson(report) << '\n';
    } else {
      std::cout << (first ? "" : "\n") << RenderText(report);
      first = false;
    }
    std::cout.flush();
  }
  return FilesExitStatus();
}

}  // namespace vthost
