// `vomtrail info`: GetInfo on each file, beside the inspection of its bytes,
// shown for a person or a script.
#pragma once

#include <string>
#include <vector>

namespace vthost {

struct InfoOptions {
  bool json = false;
  bool allFiles = false;  // walk folders for every file, not only audio names
  std::string encoding;
  unsigned jobs = 0;  // threads that read files; 0: DefaultJobs()
  std::vector<std::string> paths;
};

// Files are read on several threads and shown in the order of one. The
// exit status: 0 when every file was read, 1 when any failed or the run was
// interrupted.
int RunInfo(const InfoOptions& options);

}  // namespace vthost
