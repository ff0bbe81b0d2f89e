#include "command/HistoryCommand.h"

#include <cstdio>
#include <iostream>

#include "command/Messages.h"
#include "journal/JournalStore.h"
#include "report/OutputEscape.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

struct Entry {
  std::string what, path, to;
};

std::string PathText(const JournalJson& json) { return json.is_object() ? json.value("text", "") : ""; }

// The entries that were carried out, in order.
std::vector<Entry> CarriedOut(const RunRecord& run) {
  std::vector<std::string> done;
  std::vector<Entry> entries;
  std::map<int, std::string> outcome;
  for (const JournalJson& line : run.lines) {
    const std::string type = line.value("type", "");
    if (type == "done" || type == "unchanged" || type == "lost") outcome[line.value("n", 0)] = type;
  }
  for (const JournalJson& line : run.lines) {
    const std::string type = line.value("type", "");
    const auto found = outcome.find(line.value("n", 0));
    const std::string state = found == outcome.end() ? "unfinished" : found->second;
    if (state == "unchanged") continue;
    if (type == "content")
      entries.push_back({state == "done" ? "written" : state, PathText(line["path"]), ""});
    if (type == "rename")
      entries.push_back({state == "done" ? "renamed" : state, PathText(line["from"]), PathText(line["to"])});
  }
  return entries;
}

std::string Shown(const std::string& utc) {
  // "2026-12-09T19:24:51.123456789Z" as "2026-12-09 19:24:51"
  if (utc.size() < 19) return utc;
  return utc.substr(0, 10) + " " + utc.substr(11, 8);
}

std::string State(const RunRecord& run) {
  std::string state;
  if (run.undoes) state += "undo of run " + std::to_string(*run.undoes);
  if (run.undoneBy)
    state += (state.empty() ? "" : ", ") + std::string("undone by run ") + std::to_string(*run.undoneBy);
  if (run.finished.empty()) state += (state.empty() ? "" : ", ") + std::string("did not finish");
  return state;
}

}  // namespace

int RunHistory(const HistoryOptions& options) {
  const auto root = JournalRoot();
  if (!root) {
    ReportUsage("no folder for the undo journal (HOME is not set)");
    return kExitFileFailed;
  }
  std::vector<RunRecord> runs;
  for (const int id : options.run ? std::vector<int>{*options.run} : RunIds(*root)) {
    if (auto run = ReadRun(*root, id)) {
      runs.push_back(std::move(*run));
    } else if (options.run) {
      ReportRunFailure("the journal keeps no run " + std::to_string(id));
      return kExitFileFailed;
    }
  }
  for (const RunRecord& run : runs) {
    const std::vector<Entry> entries = CarriedOut(run);
    if (options.json) {
      JournalJson object = {{"run", run.id},          {"started", run.started},  {"finished", run.finished},
                            {"command", run.command}, {"files", entries.size()}, {"summary", run.summary},
                            {"bytes", run.bytes}};
      if (run.undoes) object["undoes"] = *run.undoes;
      if (run.undoneBy) object["undone_by"] = *run.undoneBy;
      if (options.run) {
        object["entries"] = JournalJson::array();
        for (const Entry& entry : entries) {
          JournalJson item = {{"what", entry.what}, {"path", entry.path}};
          if (!entry.to.empty()) item["to"] = entry.to;
          object["entries"].push_back(item);
        }
      }
      std::cout << object.dump(-1, ' ', false, JournalJson::error_handler_t::replace) << '\n';
      continue;
    }
    char line[96];
    std::snprintf(line, sizeof line, "run %d  %s UTC  %zu file%s  ", run.id, Shown(run.started).c_str(),
                  entries.size(), entries.size() == 1 ? "" : "s");
    const std::string state = State(run);
    std::cout << line << EscapeControls(run.command) << (state.empty() ? "" : "  (" + state + ")") << '\n';
    if (!options.run) continue;
    for (const Entry& entry : entries)
      std::cout << "  " << entry.what << "  " << EscapeControls(entry.path)
                << (entry.to.empty() ? "" : " -> " + EscapeControls(entry.to)) << '\n';
    if (!run.summary.empty()) std::cout << "  " << run.summary << '\n';
  }
  if (runs.empty() && !options.json) std::cout << "the journal keeps no run\n";
  return kExitOk;
}

}  // namespace vthost
