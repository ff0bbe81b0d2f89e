#include "command/CollectionOptions.h"

#include "system/TextCodec.h"

namespace vthost {
namespace {

const char* const kFolderWalk =
    "Folders are walked to any depth for .mp3 .mp2 .mp1 .mpa .wav .rmp .rmp3 files (every file with "
    "--all-files), in name order; links to folders are not followed.";

const char* const kJournal =
    "Every run that writes keeps an undo journal in $XDG_STATE_HOME/vomtrail (~/.local/state/vomtrail): "
    "vomtrail history lists the runs, vomtrail undo [RUN] puts files back byte for byte.";

}  // namespace

void AddJournalOptions(CLI::App& command, JournalOptions& options) {
  command.add_option("--journal-size", options.size,
                     "Undo journal limit for all runs, e.g. 500M or 2G; 0 keeps none (default 1G, or "
                     "VOMTRAIL_JOURNAL_SIZE)");
  command.add_option(
      "--journal-days", options.days,
      "Runs older than this many days leave the journal (default 30, or VOMTRAIL_JOURNAL_DAYS)");
}

CLI::App* AddRename(CLI::App& app, RenameOptions& options) {
  CLI::App* command =
      app.add_subcommand("rename", "Name files from their tags: shows the plan, renames with --apply");
  command
      ->add_option(
          "--to", options.to,
          "The new name, a pattern such as '{artist}/{album}/{track:02} {title}.{ext}', under the folder "
          "given (a file named directly: under its own folder)")
      ->required();
  command->add_flag(
      "--apply", options.apply,
      "Rename without asking (without it the plan is shown, and on a terminal a question asked)");
  command->add_flag("--all-files", options.allFiles, "In folders, take every file, not only audio names");
  command->add_option("--encoding", options.encoding, "Code page of texts that are not UTF-8")
      ->capture_default_str();
  AddJobs(*command, options.jobs);
  AddJournalOptions(*command, options.journal);
  command->add_option("PATH", options.paths, "Files, or folders to walk for files")->required();
  command->footer(
      std::string(kFolderWalk) +
      "\nFields: title artist album year comment track genre (the texts players show: ID3v2, APEv2, ID3v1, "
      "INFO), any INFO id "
      "({INAM}), filename stem ext dir parent. Formats: {track:02} (width), {title:.20} (longest), "
      "{artist:upper|lower|title}; {{ and }} are braces.\nA file whose fields in the pattern are empty "
      "keeps its name. Characters FAT, NTFS or ext4 cannot hold become _. A name is never taken "
      "from another file; NAME.orig moves along.\n" +
      kJournal);
  return command;
}

CLI::App* AddImport(CLI::App& app, ImportOptions& options) {
  CLI::App* command = app.add_subcommand("import",
                                         "Write back the cells of an exported table that differ from the "
                                         "files: shows them, writes with --apply");
  command->add_flag(
      "--apply", options.apply,
      "Write without asking (without it the differences are shown, and on a terminal a question asked)");
  command->add_flag("--force", options.force,
                    "Write rows that have no size and modified cells, and files that are not MPEG audio");
  command
      ->add_option("--encoding", options.encoding,
                   "Code page to write texts in, and to read texts that are not UTF-8")
      ->capture_default_str();
  AddJobs(*command, options.jobs);
  AddJournalOptions(*command, options.journal);
  command
      ->add_option(
          "TABLE", options.table,
          "The table: CSV (, ; or tab; UTF-8 with or without BOM) or JSON lines; - reads standard input")
      ->required();
  command->footer(
      "Rows are files by their path (relative paths from the current folder). Only cells that differ from "
      "the "
      "file now are written; a row whose file changed since the export (size or modified differ) is refused. "
      "Track and year compare as numbers, the genre by its number, texts without trailing spaces. A changed "
      "form converts the file.\n" +
      std::string(kJournal));
  return command;
}

CLI::App* AddHistory(CLI::App& app, HistoryOptions& options) {
  CLI::App* command =
      app.add_subcommand("history", "List the runs the undo journal keeps, or the files of one");
  command->add_flag("--json", options.json, "One JSON object per run per line");
  command->add_option("RUN", options.run, "A run's number: list its files");
  command->footer(kJournal);
  return command;
}

CLI::App* AddUndo(CLI::App& app, UndoOptions& options) {
  CLI::App* command =
      app.add_subcommand("undo", "Put back what a run wrote or renamed (the newest run not undone yet)");
  command->add_option("RUN", options.run, "The run's number (see vomtrail history); an undo run redoes");
  AddJournalOptions(*command, options.journal);
  command->footer(
      std::string(kJournal) +
      "\nA file changed since the run is left as it is and named. Exit codes: 0 all put back; 1 a "
      "file was refused or failed; 2 usage error.");
  return command;
}

void AddJobs(CLI::App& command, unsigned& jobs) {
  command.add_option("--jobs,-j", jobs, "Threads that read files (default: 4 per core, at most 64)")
      ->check(CLI::Range(1u, 256u));
}

CLI::App* AddExport(CLI::App& app, ExportOptions& options) {
  CLI::App* command = app.add_subcommand(
      "export", "Write the tags of files as one table (CSV or JSON lines) to standard output, for import");
  auto* csv =
      command->add_flag("--csv", options.csv, "CSV: one row per file, a header line first (the default)");
  command->add_flag("--json", options.json, "JSON: one object per file per line")->excludes(csv);
  command->add_flag("--all-files", options.allFiles, "In folders, take every file, not only audio names");
  command->add_option("--encoding", options.encoding, "Code page of texts that are not UTF-8")
      ->capture_default_str();
  AddJobs(*command, options.jobs);
  command->add_option("PATH", options.paths, "Files, or folders to walk for files")->required();
  command->footer(
      std::string(kFolderWalk) +
      "\nColumns: path, form, title, artist, album, year, comment, track, genre (ID3v1), the INFO ids, "
      "size and modified (to refuse rows whose file changed since), path_hex (names that are not "
      "UTF-8).\nExit codes: 0 every file read; 1 a file failed or the run was interrupted; 2 usage "
      "error.");
  return command;
}

}  // namespace vthost
