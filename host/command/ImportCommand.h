// `vomtrail import TABLE`: writes back the cells of a table made by export
// (and edited since) that differ from the files now. The differences come
// first; --apply writes them, or a question on a terminal does.
#pragma once

#include <string>

#include "journal/JournalLimits.h"

namespace vthost {

struct ImportOptions {
  std::string table;  // a file, or - for standard input
  bool apply = false;
  bool force = false;  // write rows without size and modified columns, and files that are not MPEG audio
  std::string encoding;
  unsigned jobs = 0;
  JournalOptions journal;
  std::string commandText;
};

int RunImport(const ImportOptions& options);

}  // namespace vthost
