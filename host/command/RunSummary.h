// The last line of a run over many files: what was done, and what was not
// because the user pressed Ctrl-C.
#pragma once

#include <cstddef>
#include <string>

namespace vthost {

// "interrupted: 120 of 500 files exported; the others were not read"; the
// run fails.
void ReportInterrupted(std::size_t done, std::size_t total, const std::string& doneWord);

// Counts of a writing run, said at its end: "12 written, 3 unchanged,
// 1 refused, 0 failed".
// What became of a file, for the run's summary: a refusal is the command's
// (it would damage, the file changed meanwhile, another run holds it), a
// failure the file's or the system's.
enum class FileResult { Written, Unchanged, Refused, Failed };

struct WriteCounts {
  std::size_t written = 0, unchanged = 0, refused = 0, failed = 0;

  void Count(FileResult result) {
    switch (result) {
      case FileResult::Written:
        ++written;
        break;
      case FileResult::Unchanged:
        ++unchanged;
        break;
      case FileResult::Refused:
        ++refused;
        break;
      case FileResult::Failed:
        ++failed;
        break;
    }
  }
};

std::string SummaryLine(const WriteCounts& counts, const std::string& writtenWord = "written");

}  // namespace vthost
