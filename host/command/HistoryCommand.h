// `vomtrail history`: the runs the undo journal keeps (number, time, files,
// command), or the files of one run.
#pragma once

#include <optional>

namespace vthost {

struct HistoryOptions {
  bool json = false;
  std::optional<int> run;
};

int RunHistory(const HistoryOptions& options);

}  // namespace vthost
