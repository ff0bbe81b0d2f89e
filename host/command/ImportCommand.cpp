#include "command/ImportCommand.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "command/FileEdit.h"
#include "command/FileLook.h"
#include "command/Messages.h"
#include "command/OrderedWork.h"
#include "command/Progress.h"
#include "command/RunSummary.h"
#include "report/OutputEscape.h"
#include "system/FileNames.h"
#include "system/Interrupt.h"
#include "system/Terminal.h"
#include "table/RowEdits.h"
#include "table/TableText.h"

namespace vthost {
namespace {

// One row against its file: what would change, or why the row is refused.
struct RowPlan {
  std::filesystem::path path;
  std::vector<CellChange> changes;
  std::optional<RowEdits> edits;
  std::string refusal;
};

std::optional<std::string> ReadAll(const std::string& name) {
  if (name == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
  std::ifstream in(PathFromUtf8(name), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Whether the file is still as the export saw it: the same size and
// modification time.
std::optional<std::string> ChangedSince(const TableRow& wanted, const FileLook& file) {
  const auto size = wanted.cells.find(kSizeColumn);
  const auto modified = wanted.cells.find(kModifiedColumn);
  if (size == wanted.cells.end() || modified == wanted.cells.end() || size->second.empty() ||
      modified->second.empty())
    return "the row has no size and modified to tell whether the file changed since the export (--force "
           "writes "
           "it anyway)";
  const auto time = ParseUtcText(modified->second);
  if (!file.stamp || !time || std::to_string(file.stamp->size) != size->second ||
      time->first != file.stamp->seconds || time->second != file.stamp->nanoseconds)
    return "the file changed since the export (its size or modification time differ); row left alone";
  return std::nullopt;
}

RowPlan PlanRow(const TableRow& wanted, const ImportOptions& options) {
  RowPlan plan{wanted.path, {}, std::nullopt, ""};
  const FileLook file = LookAtFile(wanted.path);
  if (file.failure) {
    plan.refusal = *file.failure;
    return plan;
  }
  const TableRow now =
      RowOfFile(file.path, file.info, file.recordRead, file.inspection.probe, file.stamp, options.encoding);
  plan.changes = ChangedCells(now, wanted);
  if (plan.changes.empty()) return plan;
  if (!options.force)
    if (const auto changed = ChangedSince(wanted, file)) {
      plan.refusal = *changed;
      return plan;
    }
  auto edits = EditsForChanges(plan.changes, now, options.encoding);
  if (auto* why = std::get_if<std::string>(&edits)) {
    plan.refusal = *why;
    return plan;
  }
  // The checks `set` makes of its options, per row.
  if (auto prepared = PrepareEdits(std::get<RowEdits>(edits).edits); std::get_if<std::string>(&prepared)) {
    plan.refusal = std::get<std::string>(prepared);
    return plan;
  }
  plan.edits = std::get<RowEdits>(edits);
  return plan;
}

std::string Quoted(const std::string& text) { return "\"" + EscapeControls(text) + "\""; }

void ShowChanges(const RowPlan& plan) {
  Progress::ClearActive();
  std::cout << EscapeControls(DisplayName(plan.path)) << '\n';
  for (const CellChange& change : plan.changes)
    std::cout << "  " << change.column << ": " << Quoted(change.before) << " -> " << Quoted(change.after)
              << '\n';
}

bool Confirmed(std::size_t count) {
  std::cout << "Write " << count << (count == 1 ? " file" : " files") << "? [y/N] " << std::flush;
  std::string answer;
  return std::getline(std::cin, answer) && (answer == "y" || answer == "Y" || answer == "yes");
}

}  // namespace

int RunImport(const ImportOptions& options) {
  auto limits = ResolveJournalLimits(options.journal);
  if (auto* usage = std::get_if<std::string>(&limits)) {
    ReportUsage(*usage);
    return kExitUsage;
  }
  const auto text = ReadAll(options.table);
  if (!text) {
    ReportUsage(options.table + ": the table cannot be read");
    return kExitUsage;
  }
  auto read = ReadTable(*text);
  if (auto* error = std::get_if<std::string>(&read)) {
    ReportUsage(options.table + ": " + *error);
    return kExitUsage;
  }
  const ImportedTable& table = std::get<ImportedTable>(read);
  for (const std::string& column : table.unknownColumns)
    ReportRunWarning(options.table + ": unknown column \"" + column + "\"; its cells are not written");

  CatchInterrupt();
  std::vector<RowPlan> plans;
  WriteCounts counts;
  Progress reading(table.rows.size());
  const std::size_t read_rows = RunInOrder<RowPlan>(
      table.rows.size(), options.jobs ? options.jobs : DefaultJobs(),
      [&](std::size_t i) { return PlanRow(table.rows[i], options); },
      [&](std::size_t i, RowPlan&& plan) {
        reading.Show(i + 1, DisplayName(plan.path));
        if (!plan.refusal.empty()) {
          ++counts.refused;
          ReportFailure(DisplayName(plan.path),
                        "line " + std::to_string(table.lines[i]) + ": " + plan.refusal);
        } else if (plan.changes.empty()) {
          ++counts.unchanged;
        } else {
          plans.push_back(std::move(plan));
        }
      },
      Interrupted);
  reading.Clear();
  if (read_rows < table.rows.size()) {
    ReportInterrupted(read_rows, table.rows.size(), "read");
    return FilesExitStatus();
  }
  for (const RowPlan& plan : plans) ShowChanges(plan);
  const bool apply = options.apply || (!plans.empty() && CanAskOnTerminal() && Confirmed(plans.size()));
  if (!apply) {
    std::cout << plans.size() << " to write, " << counts.unchanged << " unchanged, " << counts.refused
              << " refused; nothing written" << (plans.empty() ? "" : " (--apply writes)") << '\n';
    return FilesExitStatus();
  }

  RunJournal journal(options.commandText, std::get<JournalLimits>(limits));
  Progress progress(plans.size());
  std::size_t done = 0;
  for (; done < plans.size() && !Interrupted(); ++done) {
    const RowPlan& plan = plans[done];
    progress.Show(done + 1, DisplayName(plan.path));
    SetOptions set;
    set.mode = plan.edits->mode;
    set.force = options.force;
    // The table's columns are the ID3v1 block's: a cell changes its field
    // alone, not an MP3 file's ID3v2 text (as not a RIFF file's INFO text).
    set.id3v1Only = true;
    const TagEdits edits = std::get<TagEdits>(PrepareEdits(plan.edits->edits));  // checked in PlanRow
    counts.Count(EditFile(plan.path, set, edits, &journal));
  }
  progress.Clear();
  const std::string summary = SummaryLine(counts);
  journal.Finish(summary);
  if (done < plans.size()) ReportInterrupted(done, plans.size(), "written");
  std::cout << summary
            << (journal.Id() ? " (run " + std::to_string(journal.Id()) + ", vomtrail undo reverses it)" : "")
            << '\n';
  return FilesExitStatus();
}

}  // namespace vthost
