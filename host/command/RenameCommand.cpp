#include "command/RenameCommand.h"

#include <iostream>
#include <system_error>

#include "command/FileLook.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/OrderedWork.h"
#include "command/Progress.h"
#include "command/RunSummary.h"
#include "journal/RunJournal.h"
#include "patterns/FileFields.h"
#include "patterns/Pattern.h"
#include "rename/PortableNames.h"
#include "rename/RenamePlan.h"
#include "report/OutputEscape.h"
#include "system/FileKeeping.h"
#include "system/FileNames.h"
#include "system/Interrupt.h"
#include "system/Terminal.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

struct Found {
  fs::path file, root;  // the new name is made under the root
};

// A folder argument is the root of the files below it; a file's own folder
// is its root.
std::vector<Found> FindFiles(const RenameOptions& options) {
  std::vector<Found> found;
  for (const std::string& argument : options.paths) {
    const fs::path path = PathFromUtf8(argument);
    const FileList list = ListFiles({argument}, true, options.allFiles);
    for (const UnreadFolder& unread : list.unread) ReportFailure(DisplayName(unread.folder), unread.words);
    std::error_code error;
    const bool folder = fs::is_directory(path, error);
    for (const fs::path& file : list.files) found.push_back({file, folder ? path : file.parent_path()});
  }
  return found;
}

// The pattern's parts between slashes, each rendered and made portable; a
// slash inside a field's value is a character of the name, not a folder.
fs::path NewName(const Pattern& pattern, const FieldValues& values, const fs::path& root) {
  std::vector<std::string> parts(1);
  for (const PatternPart& part : pattern.Parts()) {
    if (part.field) {
      const auto found = values.find(part.field->name);
      parts.back() += Formatted(*part.field, found == values.end() ? std::string() : found->second);
      continue;
    }
    for (const char c : part.literal) {
      if (c == '/') {
        parts.emplace_back();
      } else {
        parts.back() += c;
      }
    }
  }
  fs::path name = root;
  for (std::size_t i = 0; i < parts.size(); ++i)
    name /= PathFromUtf8(PortableNamePart(parts[i], i + 1 == parts.size()));
  return name;
}

WantedName Want(const Found& found, const Pattern& pattern, const std::string& encoding) {
  const FileLook file = LookAtFile(found.file);
  if (file.failure) return {found.file, std::nullopt, *file.failure, std::nullopt};
  FieldValues values = TagFields(file.info, file.recordRead, file.inspection, encoding);
  values.merge(PathFields(found.file));
  if (const auto empty = pattern.EmptyFields(values); !empty.empty()) {
    std::string words;
    for (const std::string& field : empty) words += (words.empty() ? "{" : ", {") + field + "}";
    return {found.file, std::nullopt, words + (empty.size() == 1 ? " is" : " are") + " empty; left alone",
            std::nullopt};
  }
  WantedName wanted{found.file, NewName(pattern, values, found.root), "", std::nullopt};
  std::error_code error;
  if (fs::exists(fs::symlink_status(BackupName(found.file), error))) wanted.backup = BackupName(found.file);
  return wanted;
}

bool Confirmed(std::size_t count) {
  std::cout << "Rename " << count << (count == 1 ? " file" : " files") << "? [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

// The folders above `path` that do not exist yet, made here, outermost first.
std::optional<std::vector<fs::path>> MakeFolders(const fs::path& folder, std::string& failure) {
  std::vector<fs::path> missing;
  std::error_code error;
  for (fs::path at = folder; !at.empty() && !fs::exists(at, error); at = at.parent_path()) {
    missing.insert(missing.begin(), at);
    if (at == at.parent_path()) break;
  }
  for (const fs::path& made : missing) {
    if (!fs::create_directory(made, error) && error) {
      failure = "the folder " + DisplayName(made) + " cannot be made (" + error.message() + ")";
      return std::nullopt;
    }
  }
  return missing;
}

// One step of the plan; false when it failed (said on stderr).
bool Carry(const RenameStep& step, RunJournal& journal) {
  std::string failure;
  const auto made = MakeFolders(step.to.parent_path(), failure);
  if (!made) {
    ReportFailure(DisplayName(step.from), failure);
    return false;
  }
  int entry = journal.BeforeRename(step.from, step.to, *made);
  failure = RenameNoReplace(step.from, step.to);
  journal.AfterRename(entry, failure.empty());
  if (!failure.empty()) {
    ReportFailure(DisplayName(step.from), "not renamed to " + DisplayName(step.to) + ": " + failure);
    return false;
  }
  if (step.backupFrom) {
    entry = journal.BeforeRename(*step.backupFrom, *step.backupTo, {});
    failure = RenameNoReplace(*step.backupFrom, *step.backupTo);
    journal.AfterRename(entry, failure.empty());
    if (!failure.empty())
      ReportWarning(DisplayName(*step.backupFrom), "the backup keeps its name: " + failure);
  }
  return true;
}

std::string Arrow(const fs::path& from, const fs::path& to) {
  return EscapeControls(DisplayName(from)) + " -> " + EscapeControls(DisplayName(to));
}

}  // namespace

int RunRename(const RenameOptions& options) {
  auto parsed = Pattern::Parse(options.to);
  if (auto* usage = std::get_if<std::string>(&parsed)) {
    ReportUsage("--to: " + *usage);
    return kExitUsage;
  }
  const Pattern& pattern = std::get<Pattern>(parsed);
  auto limits = ResolveJournalLimits(options.journal);
  if (auto* usage = std::get_if<std::string>(&limits)) {
    ReportUsage(*usage);
    return kExitUsage;
  }
  const std::vector<Found> found = FindFiles(options);
  CatchInterrupt();
  std::vector<WantedName> wanted;
  Progress reading(found.size());
  const std::size_t read = RunInOrder<WantedName>(
      found.size(), options.jobs ? options.jobs : DefaultJobs(),
      [&](std::size_t i) { return Want(found[i], pattern, options.encoding); },
      [&](std::size_t i, WantedName&& name) {
        reading.Show(i + 1, DisplayName(found[i].file));
        wanted.push_back(std::move(name));
      },
      Interrupted);
  reading.Clear();
  if (read < found.size()) {
    ReportInterrupted(read, found.size(), "read");
    return FilesExitStatus();
  }

  const RenamePlan plan = PlanRenames(wanted, FileSystemLookup());
  WriteCounts counts;
  counts.unchanged = plan.unchanged.size();
  counts.refused = plan.refused.size();
  for (const RenameRefusal& refusal : plan.refused) ReportFailure(DisplayName(refusal.from), refusal.why);
  const bool apply = options.apply || (!plan.steps.empty() && CanAskOnTerminal() && [&] {
                       for (const RenameStep& step : plan.steps)
                         std::cout << Arrow(step.from, step.to) << '\n';
                       return Confirmed(plan.steps.size());
                     }());
  if (!apply) {
    if (!CanAskOnTerminal() || plan.steps.empty())
      for (const RenameStep& step : plan.steps) std::cout << Arrow(step.from, step.to) << '\n';
    std::cout << plan.steps.size() << " to rename, " << counts.unchanged << " unchanged, " << counts.refused
              << " refused; nothing renamed" << (plan.steps.empty() ? "" : " (--apply renames)") << '\n';
    return FilesExitStatus();
  }

  RunJournal journal(options.commandText, std::get<JournalLimits>(limits));
  Progress progress(plan.steps.size());
  std::size_t done = 0;
  for (; done < plan.steps.size() && !Interrupted(); ++done) {
    const RenameStep& step = plan.steps[done];
    progress.Show(done + 1, DisplayName(step.from));
    if (!Carry(step, journal)) {
      ++counts.failed;
      continue;
    }
    ++counts.written;
    Progress::ClearActive();
    std::cout << Arrow(step.from, step.to) << '\n';
  }
  progress.Clear();
  const std::string summary = SummaryLine(counts, "renamed");
  journal.Finish(summary);
  if (done < plan.steps.size()) ReportInterrupted(done, plan.steps.size(), "renamed");
  std::cout << summary
            << (journal.Id() ? " (run " + std::to_string(journal.Id()) + ", vomtrail undo reverses it)" : "")
            << '\n';
  return FilesExitStatus();
}

}  // namespace vthost
