#include "command/SetCommand.h"

#include <iostream>
#include <memory>

#include "Vomtrail.h"
#include "command/FileEdit.h"
#include "command/FileLook.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/OrderedWork.h"
#include "command/Progress.h"
#include "command/RunSummary.h"
#include "patterns/EditPatterns.h"
#include "patterns/FileFields.h"
#include "system/FileNames.h"
#include "system/Interrupt.h"

namespace vthost {
namespace {

constexpr std::pair<const char*, int> kModes[] = {
    {"mp3", VT_MODE_MP3}, {"rmp3", VT_MODE_RMP3}, {"wave", VT_MODE_WAVE}};

}  // namespace

std::vector<std::string> ModeNames() {
  std::vector<std::string> names;
  for (const auto& [name, mode] : kModes) names.emplace_back(name);
  return names;
}

const char* ModeName(int mode) {
  for (const auto& [name, written] : kModes)
    if (written == mode) return name;
  return "an unknown mode";  // not reached: every mode the command writes has a name
}

int ModeNamed(const std::string& name) {
  for (const auto& [known, mode] : kModes)
    if (known == name) return mode;
  return VT_MODE_MP3;  // not reached: CLI11 takes only ModeNames()
}

namespace {

// The options with every text that names a field left out (an INFO text
// kept empty): what can be checked before any file is read.
EditOptions FixedPart(const EditOptions& options) {
  EditOptions fixed = options;
  for (std::optional<std::string>* text :
       {&fixed.title, &fixed.artist, &fixed.album, &fixed.year, &fixed.comment, &fixed.genre, &fixed.track}) {
    if (!*text) continue;
    const auto pattern = Pattern::Parse(**text);
    if (std::holds_alternative<std::string>(pattern) || std::get<Pattern>(pattern).HasFields()) text->reset();
  }
  for (std::string& assignment : fixed.info) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) continue;
    const auto pattern = Pattern::Parse(assignment.substr(equals + 1));
    if (std::holds_alternative<std::string>(pattern) || std::get<Pattern>(pattern).HasFields())
      assignment.resize(equals + 1);
  }
  return fixed;
}

// One file: its own edits when the options name fields, then the edit.
FileResult SetOne(const std::filesystem::path& path, const SetOptions& options, const EditPatterns& patterns,
                  const TagEdits& shared, RunJournal* journal) {
  if (!patterns.PerFile()) return EditFile(path, options, shared, journal);
  const std::string name = DisplayName(path);
  const FileLook look = LookAtFile(path);
  if (look.failure) {
    ReportFailure(name, *look.failure);
    return FileResult::Failed;
  }
  FieldValues values = TagFields(look.info, look.recordRead, look.inspection, options.edits.encoding);
  values.merge(PathFields(path));
  const std::optional<EditOptions> own = patterns.ForFile(path, std::move(values));
  if (!own) {
    ReportFailure(name, "the path does not match --from-name; left alone");
    return FileResult::Refused;
  }
  auto prepared = PrepareEdits(*own);
  if (const auto* why = std::get_if<std::string>(&prepared)) {
    ReportFailure(name, *why + "; left alone");
    return FileResult::Refused;
  }
  const TagEdits& edits = std::get<TagEdits>(prepared);
  if (IsEmpty(edits) && !options.mode && !options.from) return FileResult::Unchanged;
  return EditFile(path, options, edits, journal);
}

// What one file's work said and came to, held until its turn.
struct SetDone {
  FileResult result = FileResult::Failed;
  std::unique_ptr<HeldOutput> output = std::make_unique<HeldOutput>();
};

}  // namespace

int RunSet(const SetOptions& options) {
  auto parsed = EditPatterns::Parse(options.edits, options.fromName);
  if (const auto* usage = std::get_if<std::string>(&parsed)) {
    ReportUsage(*usage);
    return kExitUsage;
  }
  const EditPatterns& patterns = std::get<EditPatterns>(parsed);
  auto prepared = PrepareEdits(patterns.PerFile() ? FixedPart(options.edits) : options.edits);
  if (auto* usage = std::get_if<std::string>(&prepared)) {
    ReportUsage(*usage);
    return kExitUsage;
  }
  const TagEdits& edits = std::get<TagEdits>(prepared);
  if (IsEmpty(edits) && !options.mode && !options.from && !patterns.PerFile()) {
    ReportUsage(
        "nothing to change: give a text option, --track, --genre, --info, --from, --from-name or --to; no "
        "file "
        "was written");
    return kExitUsage;
  }
  if (edits.trackTotal)
    ReportRunWarning("--track " + *options.edits.track + ": ID3v1 has no place for the total " +
                     *edits.trackTotal + "; the track is written as " + std::to_string(*edits.track));
  auto limits = ResolveJournalLimits(options.journal);
  if (auto* usage = std::get_if<std::string>(&limits)) {
    ReportUsage(*usage);
    return kExitUsage;
  }

  const FileList list = ListFiles(options.files, true, options.allFiles);
  for (const UnreadFolder& unread : list.unread) ReportFailure(DisplayName(unread.folder), unread.words);
  std::optional<RunJournal> journal;
  if (!options.dryRun) journal.emplace(options.commandText, std::get<JournalLimits>(limits));
  RunJournal* kept = journal ? &*journal : nullptr;
  CatchInterrupt();
  Progress progress(list.files.size());
  WriteCounts counts;
  const std::size_t done = RunInOrder<SetDone>(
      list.files.size(), options.jobs ? options.jobs : DefaultJobs(),
      [&](std::size_t i) {
        SetDone file;
        HoldOutput hold(*file.output);
        file.result = SetOne(list.files[i], options, patterns, edits, kept);
        return file;
      },
      [&](std::size_t i, SetDone&& file) {
        progress.Show(i + 1, DisplayName(list.files[i]));
        file.output->Show();
        counts.Count(file.result);
      },
      Interrupted);
  progress.Clear();
  const std::string summary = SummaryLine(counts, options.dryRun ? "to write" : "written");
  if (journal) journal->Finish(summary);
  if (done < list.files.size()) ReportInterrupted(done, list.files.size(), "done");
  if (list.files.size() > 1 || done < list.files.size())
    Out() << summary
          << (journal && journal->Id() != 0 && counts.written != 0
                  ? " (run " + std::to_string(journal->Id()) + ", vomtrail undo reverses it)"
                  : "")
          << '\n';
  return FilesExitStatus();
}

}  // namespace vthost
