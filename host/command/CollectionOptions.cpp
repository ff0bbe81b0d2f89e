#include "command/CollectionOptions.h"

#include "system/TextCodec.h"

namespace vthost {
namespace {

const char* const kFolderWalk =
    "Folders are walked to any depth for .mp3 .mp2 .mp1 .mpa .wav .rmp .rmp3 files (every file with "
    "--all-files), in name order; links to folders are not followed.";

}  // namespace

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
