#include "journal/Undo.h"

#include <iostream>
#include <map>
#include <system_error>

#include "command/Messages.h"
#include "command/Progress.h"
#include "journal/ContentHash.h"
#include "journal/ContentRestore.h"
#include "report/OutputEscape.h"
#include "system/FileKeeping.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

// What became of each entry: the line that ends it, if any.
std::map<int, JournalJson> Outcomes(const RunRecord& run) {
  std::map<int, JournalJson> outcomes;
  for (const JournalJson& line : run.lines) {
    const std::string type = line.value("type", "");
    if (type == "done" || type == "unchanged" || type == "lost") outcomes[line.value("n", 0)] = line;
  }
  return outcomes;
}

void Say(const fs::path& path, const std::string& words) {
  Progress::ClearActive();
  std::cout << EscapeControls(DisplayName(path)) << ": " << words << std::endl;
}

class Undoer {
 public:
  Undoer(const RunRecord& run, RunJournal& journal) : run_(run), journal_(journal) {}

  WriteCounts Run() {
    const auto outcomes = Outcomes(run_);
    for (auto line = run_.lines.rbegin(); line != run_.lines.rend(); ++line) {
      const std::string type = line->value("type", "");
      if (type != "content" && type != "rename") continue;
      const auto outcome = outcomes.find(line->value("n", 0));
      const JournalJson* end = outcome == outcomes.end() ? nullptr : &outcome->second;
      if (type == "content") {
        UndoContent(*line, end);
      } else {
        UndoRename(*line, end);
      }
    }
    return counts_;
  }

 private:
  void Refuse(const fs::path& path, const std::string& why) {
    ++counts_.refused;
    ReportFailure(DisplayName(path), why);
  }
  void Fail(const fs::path& path, const std::string& why) {
    ++counts_.failed;
    ReportFailure(DisplayName(path), why);
  }
  std::string Since() const { return "changed since run " + std::to_string(run_.id) + "; left as it is"; }

  void UndoContent(const JournalJson& line, const JournalJson* end) {
    const auto path = PathFromJson(line["path"]);
    const auto before = StampFromJson(line["before"]);
    const auto oldHash = HashFromText(line.value("hash", ""));
    if (!path || !before || !oldHash)
      return Fail(path.value_or(fs::path("?")), "the journal's entry is damaged");
    if (end && end->value("type", "") == "unchanged") return;
    const auto now = ReadStamp(*path);
    if (!now) return Refuse(*path, "the file is gone or is no regular file; left alone");
    if (HashFile(*path) == oldHash) {
      ++counts_.unchanged;
      return Say(*path, "as before run " + std::to_string(run_.id) + " already");
    }
    if (!end || end->value("type", "") != "done")
      return Refuse(*path,
                    "run " + std::to_string(run_.id) + " did not see this write finish; left as it is");
    const auto after = StampFromJson((*end)["after"]);
    const auto newAudio = SpanFromJson((*end)["audio"]);
    if (!after || !now->SameContentStamp(*after) || !now->SameFile(*after) ||
        HashAround(*path, now->size, newAudio) != HashFromText(end->value("hash_around", "")))
      return Refuse(*path, Since());

    const auto oldAudio = SpanFromJson(line["audio"]);
    std::vector<RestorePiece> pieces;
    if (oldAudio && newAudio && oldAudio->length == newAudio->length) {
      pieces = {{run_.folder / line.value("head", ""), std::nullopt, 0},
                {{}, newAudio->offset, newAudio->length},
                {run_.folder / line.value("tail", ""), std::nullopt, 0}};
    } else if (line.contains("whole")) {
      pieces = {{run_.folder / line.value("whole", ""), std::nullopt, 0}};
    } else if (!oldAudio) {
      pieces = {
          {run_.folder / line.value("head", ""), std::nullopt, 0}};  // the whole file was kept as its head
    } else {
      return Refuse(*path,
                    "the audio changed length in the write and the journal had no room for the whole file");
    }
    const vtinspect::FileProbe probe = vtinspect::ProbeFile(*path);
    const int entry = journal_.BeforeContent(*path, probe, true);
    const std::string failure = RestoreContent(*path, pieces);
    if (failure.empty()) SetModificationTime(*path, before->seconds, before->nanoseconds);
    journal_.AfterContent(entry, *path, failure.empty());
    if (!failure.empty()) return Fail(*path, failure);
    if (HashFile(*path) != oldHash) return Fail(*path, "put back, but not byte for byte as before the run");
    ++counts_.written;
    Say(*path, "restored as before run " + std::to_string(run_.id));
  }

  void UndoRename(const JournalJson& line, const JournalJson* end) {
    const auto from = PathFromJson(line["from"]);
    const auto to = PathFromJson(line["to"]);
    if (!from || !to) return Fail(from.value_or(fs::path("?")), "the journal's entry is damaged");
    if (end && end->value("type", "") == "unchanged") return;
    std::error_code error;
    const bool fromExists = fs::exists(fs::symlink_status(*from, error));
    const auto now = ReadStamp(*to);
    if (!now && fromExists) {
      ++counts_.unchanged;
      return Say(*from, "has its old name already");
    }
    if (!now) return Refuse(*to, "is gone; " + DisplayName(*from) + " cannot get its name back");
    const auto before = line.contains("before") ? StampFromJson(line["before"]) : std::nullopt;
    if (before && !now->SameFile(*before))
      return Refuse(*to, "is another file since run " + std::to_string(run_.id));
    if (fromExists)
      return Refuse(*to, "its old name " + DisplayName(*from) + " is taken since; left as it is");
    fs::create_directories(from->parent_path(), error);
    const int entry = journal_.BeforeRename(*to, *from, {});
    const std::string failure = RenameNoReplace(*to, *from);
    journal_.AfterRename(entry, failure.empty());
    if (!failure.empty()) return Fail(*to, failure);
    // The folders the rename made go when nothing else came into them.
    const JournalJson& folders = line["folders"];
    for (auto folder = folders.rbegin(); folders.is_array() && folder != folders.rend(); ++folder)
      if (const auto made = PathFromJson(*folder)) fs::remove(*made, error);  // only an empty folder goes
    ++counts_.written;
    Say(*to, "renamed back to " + EscapeControls(DisplayName(*from)));
  }

  const RunRecord& run_;
  RunJournal& journal_;
  WriteCounts counts_;
};

}  // namespace

WriteCounts UndoRun(const RunRecord& run, RunJournal& journal) { return Undoer(run, journal).Run(); }

}  // namespace vthost
