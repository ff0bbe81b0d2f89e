#include "system/ContentWrites.h"

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "ContentCommit.h"
#include "File.h"
#include "IoError.h"
#include "Vomtrail.h"

namespace vthost {
namespace {

std::string NameOf(const Str255& name) { return {reinterpret_cast<const char*>(name.Text), name.Length}; }

std::vector<vomtrail::ContentRun> RunsOf(const ContentPlan& plan) {
  std::vector<vomtrail::ContentRun> runs;
  for (const PlannedRun& planned : plan) {
    if (planned.length == 0) continue;
    vomtrail::ContentRun run;
    run.start = static_cast<std::int64_t>(planned.start);
    run.length = static_cast<std::int64_t>(planned.length);
    if (planned.from) {
      run.from = static_cast<std::int64_t>(*planned.from);
    } else {
      run.bytes = std::as_bytes(std::span(planned.bytes.data(), planned.bytes.size()));
    }
    runs.push_back(run);
  }
  return runs;
}

}  // namespace

std::uint32_t CommitPlan(const Str255& name, const ContentPlan& plan) {
  try {
    const std::string path = NameOf(name);
    std::unique_ptr<vomtrail::File> file =
        vomtrail::NativeFileSystem().Open(path.c_str(), vomtrail::OpenMode::ReadWriteExclusive);
    // The plan was made from a read of the file: old bytes it keeps that
    // the file no longer holds mean the file changed since.
    for (const PlannedRun& run : plan)
      if (run.from && *run.from + run.length > static_cast<std::uint64_t>(file->Size()))
        return VT_SHARING_VIOLATION;
    const std::vector<vomtrail::ContentRun> runs = RunsOf(plan);
    vomtrail::CommitContent(*file, runs);
    file->Close();
    return VT_OK;
  } catch (...) {
    return vomtrail::CurrentFailureCode();
  }
}

std::string MovingWriteObstacle(const Str255& name) {
  try {
    const vomtrail::InPlaceReason why = vomtrail::MovingWriteWay(NameOf(name).c_str());
    return why == vomtrail::InPlaceReason::None ? std::string() : vomtrail::Describe(why);
  } catch (...) {
    return {};  // the write itself will say what is wrong
  }
}

}  // namespace vthost
