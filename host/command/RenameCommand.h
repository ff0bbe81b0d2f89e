// `vomtrail rename --to PATTERN`: names files from their tags. The plan
// comes first (old -> new); --apply carries it out, or a question on a
// terminal does.
#pragma once

#include <string>
#include <vector>

#include "journal/JournalLimits.h"

namespace vthost {

struct RenameOptions {
  std::string to;
  bool apply = false;
  bool allFiles = false;
  std::string encoding;
  unsigned jobs = 0;
  std::vector<std::string> paths;
  JournalOptions journal;
  std::string commandText;  // for the journal
};

// The exit status: 0 when every file was renamed or kept its name, 1 when
// any was refused or failed, 2 for a pattern or option that is wrong.
int RunRename(const RenameOptions& options);

}  // namespace vthost
