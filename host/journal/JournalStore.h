// The runs kept in the journal folder: listing, reading and pruning them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "journal/JournalFormat.h"
#include "journal/JournalLimits.h"

namespace vthost {

struct RunRecord {
  int id = 0;
  std::filesystem::path folder;
  std::string started, finished, command, summary;
  std::optional<int> undoes;       // this run was an undo of that one
  std::optional<int> undoneBy;     // that run undid this one
  std::vector<JournalJson> lines;  // every line after the header, in order
  std::uint64_t bytes = 0;         // what the run's folder takes
};

// The numbers of the runs kept, oldest first.
std::vector<int> RunIds(const std::filesystem::path& root);
int NewestRun(const std::filesystem::path& root);  // 0 when none

// Removes runs older than the limit's days, then the oldest while all runs
// take more than its size; returns the bytes the remaining runs take.
std::uint64_t PruneRuns(const std::filesystem::path& root, const JournalLimits& limits);

std::optional<RunRecord> ReadRun(const std::filesystem::path& root, int id);

void MarkUndone(const RunRecord& run, int by);

}  // namespace vthost
