// The module as a host sees it: GetInfo from libvomtrail over every file of
// a corpus list. Usage: module_reader LIST [ROUNDS]
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "CorpusList.h"
#include "ReportRate.h"
#include "Vomtrail.h"

namespace {

Str255 CountedName(const std::string& path) {
  Str255 name{};
  name.Length = static_cast<std::uint8_t>(path.size() > 255 ? 255 : path.size());
  std::memcpy(name.Text, path.data(), name.Length);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s LIST [ROUNDS]\n", argv[0]);
    return 2;
  }
  const auto paths = vomtrail::bench::ReadCorpusList(argv[1]);
  const long rounds = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1;
  std::vector<Str255> names;
  names.reserve(paths.size());
  for (const auto& p : paths) names.push_back(CountedName(p));

  std::uint64_t checksum = 0;
  std::size_t failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long r = 0; r < rounds; ++r) {
    for (const auto& name : names) {
      TagInfo info{};
      try {
        GetInfo(&name, &info);
      } catch (const std::exception&) {
        ++failures;
        continue;
      }
      checksum += static_cast<std::uint64_t>(info.Bitrate) + static_cast<std::uint64_t>(info.SampleRate) +
                  static_cast<std::uint64_t>(info.Duration) + info.Items[VT_ITEM_TITLE].Length;
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  vomtrail::bench::ReportRate("module", names.size() * static_cast<std::size_t>(rounds), elapsed, checksum);
  if (failures != 0) std::fprintf(stderr, "module_reader: %zu files failed\n", failures);
  return 0;
}
