// What `vomtrail info --json` costs per file beside the module's GetInfo:
// over every file of a corpus list, GetInfo alone, the inspection of the
// file's bytes alone, then the command's whole reading (the inspection,
// GetInfo, the report as JSON) without the tags' contents (ID3v2, APEv2)
// and with them.
// Usage: inspect_rate LIST [ROUNDS]; one result line per reader.
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "CorpusList.h"
#include "Record.h"
#include "ReportRate.h"
#include "command/FileReading.h"
#include "report/JsonRenderer.h"
#include "system/ModuleCalls.h"

namespace {

using Clock = std::chrono::steady_clock;

Str255 CountedName(const std::string& path) {
  Str255 name{};
  name.Length = static_cast<std::uint8_t>(path.size() > 255 ? 255 : path.size());
  std::memcpy(name.Text, path.data(), name.Length);
  return name;
}

void GetInfoOnly(const std::vector<std::string>& paths, long rounds) {
  std::vector<Str255> names;
  for (const auto& path : paths) names.push_back(CountedName(path));
  std::uint64_t checksum = 0;
  const auto start = Clock::now();
  for (long r = 0; r < rounds; ++r) {
    for (const Str255& name : names) {
      TagInfo info = vthost::FreshRecord();
      if (vthost::CallGetInfo(name, info) == 0) checksum += static_cast<std::uint64_t>(info.Bitrate);
    }
  }
  vomtrail::bench::ReportRate("getinfo", names.size() * static_cast<std::size_t>(rounds),
                              Clock::now() - start, checksum);
}

void InspectionOnly(const std::vector<std::string>& paths, long rounds) {
  std::uint64_t checksum = 0;
  const auto start = Clock::now();
  for (long r = 0; r < rounds; ++r) {
    for (const auto& path : paths) {
      const vtinspect::FileInspection inspection = vtinspect::InspectFile(path);
      checksum += inspection.length ? static_cast<std::uint64_t>(inspection.length->audioBytes) : 0;
    }
  }
  vomtrail::bench::ReportRate("inspection", paths.size() * static_cast<std::size_t>(rounds),
                              Clock::now() - start, checksum);
}

void InfoJson(const char* reader, const std::vector<std::string>& paths, long rounds, bool tags) {
  std::uint64_t checksum = 0;
  const auto start = Clock::now();
  for (long r = 0; r < rounds; ++r) {
    for (const auto& path : paths) {
      const vthost::FileReading reading =
          vthost::ReadFile(path, path, "CP1252", vtinspect::InspectOptions{tags});
      checksum += vthost::RenderJson(reading.report).size();
    }
  }
  vomtrail::bench::ReportRate(reader, paths.size() * static_cast<std::size_t>(rounds), Clock::now() - start,
                              checksum);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s LIST [ROUNDS]\n", argv[0]);
    return 2;
  }
  const auto paths = vomtrail::bench::ReadCorpusList(argv[1]);
  const long rounds = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1;
  GetInfoOnly(paths, rounds);
  InspectionOnly(paths, rounds);
  InfoJson("info_without_tag_texts", paths, rounds, false);
  InfoJson("info", paths, rounds, true);
  return 0;
}
