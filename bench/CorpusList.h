// The corpus readers all take the same input: a text file with one path a
// line. The list is read before the clock starts, so only the readers'
// own work is timed.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace vomtrail::bench {

inline std::vector<std::string> ReadCorpusList(const char* listPath) {
  std::vector<std::string> paths;
  std::ifstream in(listPath);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) paths.push_back(line);
  return paths;
}

}  // namespace vomtrail::bench
