#include "rename/RenamePlan.h"

#include <map>
#include <system_error>

#include "patterns/LetterCase.h"
#include "system/FileKeeping.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

// Paths as case-blind file systems compare them.
std::string Key(const fs::path& path) {
  return InCase(DisplayName(path.lexically_normal()), LetterCase::Lower);
}

struct Candidate {
  const WantedName* wanted;
  std::optional<std::size_t> waitsFor;  // the candidate whose source holds this target now
  bool refused = false, placed = false;
  std::string why;
};

}  // namespace

RenamePlan PlanRenames(const std::vector<WantedName>& wanted, const NameLookup& lookup) {
  RenamePlan plan;
  std::vector<Candidate> candidates;
  for (const WantedName& name : wanted) {
    if (!name.to) {
      plan.refused.push_back({name.from, name.refusal});
    } else if (name.to->lexically_normal() == name.from.lexically_normal()) {
      plan.unchanged.push_back(name.from);
    } else {
      candidates.push_back({&name, std::nullopt, false, false, ""});
    }
  }
  // Targets claimed twice, and sources by name.
  std::map<std::string, std::vector<std::size_t>> byTarget;
  std::map<std::string, std::size_t> bySource;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const WantedName& name = *candidates[i].wanted;
    byTarget[Key(*name.to)].push_back(i);
    if (name.backup) byTarget[Key(BackupName(*name.to))].push_back(i);
    bySource[Key(name.from)] = i;
    if (name.backup) bySource[Key(*name.backup)] = i;
  }
  for (const auto& [key, claimants] : byTarget) {
    if (claimants.size() < 2) continue;
    for (const std::size_t i : claimants) {
      candidates[i].refused = true;
      for (const std::size_t other : claimants)
        if (other != i)
          candidates[i].why = "would get the same name as " + DisplayName(candidates[other].wanted->from);
      if (candidates[i].why.empty()) candidates[i].why = "it and its .orig backup would get the same name";
    }
  }
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    Candidate& candidate = candidates[i];
    if (candidate.refused) continue;
    const WantedName& name = *candidate.wanted;
    std::vector<fs::path> targets = {*name.to};
    if (name.backup) targets.push_back(BackupName(*name.to));
    for (const fs::path& target : targets) {
      if (!lookup.exists(target) || lookup.sameFile(target, name.from)) continue;
      const auto holder = bySource.find(Key(target));
      if (holder != bySource.end() && holder->second != i) {
        candidate.waitsFor = holder->second;
      } else {
        candidate.refused = true;
        candidate.why = DisplayName(target) + " exists; a name is never taken from another file";
      }
    }
  }
  // Each step goes once the file in its way has moved.
  for (bool progress = true; progress;) {
    progress = false;
    for (Candidate& candidate : candidates) {
      if (candidate.refused || candidate.placed) continue;
      if (candidate.waitsFor) {
        const Candidate& blocker = candidates[*candidate.waitsFor];
        if (blocker.refused) {
          candidate.refused = true;
          candidate.why = DisplayName(*candidate.wanted->to) + " is taken by a file that keeps its name";
          progress = true;
          continue;
        }
        if (!blocker.placed) continue;
      }
      const WantedName& name = *candidate.wanted;
      RenameStep step{name.from, *name.to, std::nullopt, std::nullopt};
      if (name.backup) {
        step.backupFrom = name.backup;
        step.backupTo = BackupName(*name.to);
      }
      plan.steps.push_back(step);
      candidate.placed = true;
      progress = true;
    }
  }
  for (Candidate& candidate : candidates) {
    if (candidate.placed) continue;
    plan.refused.push_back(
        {candidate.wanted->from,
         candidate.refused ? candidate.why : "the new names go round in a circle; rename in two steps"});
  }
  return plan;
}

NameLookup FileSystemLookup() {
  return {[](const fs::path& path) {
            std::error_code error;
            return fs::exists(fs::symlink_status(path, error));
          },
          [](const fs::path& a, const fs::path& b) {
            std::error_code error;
            return fs::equivalent(a, b, error);
          }};
}

}  // namespace vthost
