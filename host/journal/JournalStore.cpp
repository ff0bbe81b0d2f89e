#include "journal/JournalStore.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <system_error>

namespace vthost {
namespace {

namespace fs = std::filesystem;

std::optional<int> RunNumber(const fs::path& folder) {
  const std::string name = folder.filename().string();
  if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoi(name);
}

std::uint64_t FolderBytes(const fs::path& folder) {
  std::uint64_t bytes = 0;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code sizeError;
    const auto size = it->file_size(sizeError);
    if (!sizeError) bytes += size;
  }
  return bytes;
}

}  // namespace

std::vector<int> RunIds(const fs::path& root) {
  std::vector<int> ids;
  std::error_code error;
  for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error))
    if (const auto id = RunNumber(it->path())) ids.push_back(*id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

int NewestRun(const fs::path& root) {
  const std::vector<int> ids = RunIds(root);
  return ids.empty() ? 0 : ids.back();
}

std::uint64_t PruneRuns(const fs::path& root, const JournalLimits& limits) {
  const auto oldest = fs::file_time_type::clock::now() - std::chrono::hours(24) * limits.days;
  std::vector<std::pair<int, std::uint64_t>> kept;
  for (const int id : RunIds(root)) {
    const fs::path folder = root / std::to_string(id);
    std::error_code error;
    const auto written = fs::last_write_time(folder / kJournalFile, error);
    if (!error && written < oldest) {
      fs::remove_all(folder, error);
      continue;
    }
    kept.emplace_back(id, FolderBytes(folder));
  }
  std::uint64_t total = 0;
  for (const auto& [id, bytes] : kept) total += bytes;
  for (std::size_t i = 0; i < kept.size() && total > limits.bytes; ++i) {
    std::error_code error;
    fs::remove_all(root / std::to_string(kept[i].first), error);
    total -= kept[i].second;
  }
  return total;
}

std::optional<RunRecord> ReadRun(const fs::path& root, int id) {
  RunRecord run;
  run.id = id;
  run.folder = root / std::to_string(id);
  std::ifstream in(run.folder / kJournalFile, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  bool header = true;
  while (std::getline(in, text)) {
    // A line cut short by a kill is the run's last; it is left out.
    const JournalJson line = JournalJson::parse(text, nullptr, false);
    if (line.is_discarded() || !line.is_object()) continue;
    if (header) {
      header = false;
      run.started = line.value("started", "");
      run.command = line.value("command", "");
      if (line.contains("undoes") && line["undoes"].is_number_integer())
        run.undoes = line["undoes"].get<int>();
      continue;
    }
    if (line.value("type", "") == "end") {
      run.finished = line.value("finished", "");
      run.summary = line.value("summary", "");
      continue;
    }
    run.lines.push_back(line);
  }
  std::ifstream undone(run.folder / kUndoneFile);
  int by = 0;
  if (undone >> by) run.undoneBy = by;
  run.bytes = FolderBytes(run.folder);
  return run;
}

void MarkUndone(const RunRecord& run, int by) {
  std::ofstream out(run.folder / kUndoneFile, std::ios::trunc);
  out << by << '\n';
}

}  // namespace vthost
