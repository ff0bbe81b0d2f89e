#include "command/RunSummary.h"

#include "command/Messages.h"

namespace vthost {

void ReportInterrupted(std::size_t done, std::size_t total, const std::string& doneWord) {
  ReportRunFailure("interrupted: " + std::to_string(done) + " of " + std::to_string(total) + " files " +
                   doneWord + "; the others were left alone");
}

std::string SummaryLine(const WriteCounts& counts, const std::string& writtenWord) {
  return std::to_string(counts.written) + " " + writtenWord + ", " + std::to_string(counts.unchanged) +
         " unchanged, " + std::to_string(counts.refused) + " refused, " + std::to_string(counts.failed) +
         " failed";
}

}  // namespace vthost
