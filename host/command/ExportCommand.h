// `vomtrail export`: the tags of files and folders as one table, CSV for a
// spreadsheet or JSON lines for a script (table/TagTable.h has the columns).
#pragma once

#include <string>
#include <vector>

namespace vthost {

struct ExportOptions {
  bool csv = false;  // the default
  bool json = false;
  bool allFiles = false;
  std::string encoding;
  unsigned jobs = 0;  // 0: DefaultJobs()
  std::vector<std::string> paths;
};

// The exit status: 0 when every file was read, 1 when any failed or the run
// was interrupted.
int RunExport(const ExportOptions& options);

}  // namespace vthost
