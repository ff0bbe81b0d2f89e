// `vomtrail info`: GetInfo on each file, printed for a person or a script.
#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "ErrorWords.h"
#include "FileNames.h"
#include "FileProbe.h"
#include "InfoReport.h"
#include "ModuleCalls.h"
#include "OutputEscape.h"
#include "Progress.h"
#include "Record.h"
#include "Vomtrail.h"

namespace vthost {

void ReportFailure(const std::string& name, const std::string& message) {
  Progress::ClearActive();
  std::cout.flush();
  std::fprintf(stderr, "vomtrail: %s: %s\n", EscapeControls(name).c_str(), EscapeControls(message).c_str());
  std::fflush(stderr);
}

void ReportUsage(const std::string& message) {
  Progress::ClearActive();
  std::fprintf(stderr, "vomtrail: %s\n", EscapeControls(message).c_str());
}

const char* const kUnusableName =
    "the name is longer than 255 bytes or has characters the system code page cannot hold";

int RunInfo(const InfoOptions& options) {
  const auto paths = ExpandPaths(options.paths, true, options.allFiles);
  Progress progress(paths.size());
  int status = kExitOk;
  bool first = true;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string name = DisplayName(paths[i]);
    progress.Show(i + 1, name);
    const FileProbe probe = ProbeFile(paths[i]);
    const std::optional<Str255> moduleName = ModuleFileName(paths[i]);
    TagInfo info = FreshRecord();
    std::uint32_t code = VT_INVALID_NAME;
    if (moduleName) code = probe.TooShort() ? std::uint32_t{VT_HANDLE_EOF} : CallGetInfo(*moduleName, info);
    progress.Clear();
    // A file that is not MPEG audio is reported as such, whatever the module
    // made of its bytes; its failure words would only mislead.
    const bool notAudio = probe.readable && !probe.TooShort() && !probe.Recognised();
    if (code != VT_OK && !notAudio) {
      std::string words = !moduleName        ? kUnusableName
                          : probe.TooShort() ? kTooShort
                                             : ErrorWords(code, info.FileKind);
      if (probe.IsRiffAudio() && probe.riff->Streamed()) words = kStreamedWave;
      ReportFailure(name, words);
      if (options.json) std::cout << JsonFailure(name, code, words) << '\n';
      status = kExitFileFailed;
      continue;
    }
    const FileView view{name, info, code == VT_OK, probe};
    if (options.json) {
      std::cout << JsonReport(view, options.encoding) << '\n';
    } else {
      std::cout << (first ? "" : "\n") << TextReport(view, options.encoding);
      first = false;
    }
    std::cout.flush();
  }
  return status;
}

}  // namespace vthost
