// `vomtrail info`: GetInfo on each file, printed for a person or a script.
#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "ErrorWords.h"
#include "FileNames.h"
#include "InfoReport.h"
#include "ModuleCalls.h"
#include "Progress.h"
#include "Record.h"
#include "Vomtrail.h"

namespace vthost {

void ReportFailure(const std::string& name, const std::string& message) {
  Progress::ClearActive();
  std::cout.flush();
  std::fprintf(stderr, "vomtrail: %s: %s\n", name.c_str(), message.c_str());
  std::fflush(stderr);
}

const char* const kUnusableName =
    "the name is longer than 255 bytes or has characters the system code page cannot hold";

int RunInfo(const InfoOptions& options) {
  const auto paths = ExpandPaths(options.paths, true);
  Progress progress(paths.size());
  int status = kExitOk;
  bool first = true;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string name = DisplayName(paths[i]);
    progress.Show(i + 1, name);
    const std::optional<Str255> moduleName = ModuleFileName(paths[i]);
    TagInfo info = FreshRecord();
    const std::uint32_t code = moduleName ? CallGetInfo(*moduleName, info) : std::uint32_t{VT_INVALID_NAME};
    progress.Clear();
    if (code != VT_OK) {
      const std::string words = moduleName ? ErrorWords(code, info.FileKind) : kUnusableName;
      ReportFailure(name, words);
      if (options.json) std::cout << JsonFailure(name, code, words) << '\n';
      status = kExitFileFailed;
      continue;
    }
    if (options.json) {
      std::cout << JsonReport(name, info, options.encoding) << '\n';
    } else {
      std::cout << (first ? "" : "\n") << TextReport(name, info, options.encoding);
      first = false;
    }
    std::cout.flush();
  }
  return status;
}

}  // namespace vthost
