// The one result line every corpus reader prints, so the driver script can
// parse them all alike. The checksum folds in what was read, so no reader
// can skip its work and the driver can see that each reader found tags.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace vomtrail::bench {

inline void ReportRate(const char* reader, std::size_t files, std::chrono::duration<double> elapsed,
                       std::uint64_t checksum) {
  const double seconds = elapsed.count();
  std::printf("reader=%s files=%zu seconds=%.4f files_per_second=%.0f us_per_file=%.3f checksum=%llu\n",
              reader, files, seconds, seconds > 0 ? static_cast<double>(files) / seconds : 0.0,
              files != 0 ? seconds * 1e6 / static_cast<double>(files) : 0.0,
              static_cast<unsigned long long>(checksum));
}

}  // namespace vomtrail::bench
