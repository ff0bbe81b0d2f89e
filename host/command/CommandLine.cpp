#include "command/CommandLine.h"

#include <CLI/CLI.hpp>

#include "command/CollectionOptions.h"
#include "command/Messages.h"
#include "edits/TagEdits.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

const char* const kExitCodes =
    "Exit codes: 0 every file done; 1 a file failed or was refused (the others are still done);\n"
    "2 usage error (nothing read or written).";

CLI::App* AddInfo(CLI::App& app, InfoOptions& info) {
  CLI::App* command = app.add_subcommand("info", "Show the stream, container and tags of files");
  command->add_flag("--json", info.json, "One JSON object per file per line");
  command->add_flag("--all-files", info.allFiles,
                    "In folders, take every file, not only .mp3 .mp2 .mp1 .mpa .wav .rmp .rmp3 ones");
  command
      ->add_option("--encoding", info.encoding,
                   "Code page of texts that are not UTF-8 (any iconv name, e.g. CP932)")
      ->capture_default_str();
  AddJobs(*command, info.jobs);
  command->add_option("PATH", info.paths, "Files, or folders to walk for files")->required();
  command->footer(kExitCodes);
  return command;
}

CLI::App* AddSet(CLI::App& app, SetOptions& set, std::optional<std::string>& to) {
  EditOptions& edits = set.edits;
  CLI::App* command = app.add_subcommand("set", "Edit the tags of files and write them back");
  command->add_option("--title", edits.title, "ID3v1 title (30 bytes)");
  command->add_option("--artist", edits.artist, "ID3v1 artist (30 bytes)");
  command->add_option("--album", edits.album, "ID3v1 album (30 bytes)");
  command->add_option("--year", edits.year, "ID3v1 year (4 bytes)");
  command->add_option("--comment", edits.comment, "ID3v1 comment (30 bytes, 28 with a track)");
  command->add_option("--track", edits.track,
                      "Track number 0-255: writes an ID3v1.1 block; N/TOTAL takes N (ID3v1 keeps no total)");
  command->add_option("--genre", edits.genre, "Genre number 0-255 or name (e.g. Rock)");
  command->add_option("--info", edits.info,
                      "RIFF INFO text, ID=TEXT (e.g. ICOP=2024 Me); repeatable. IDs: " + WritableInfoIds());
  command
      ->add_option(
          "--to", to,
          "Write as mp3 (bare stream), rmp3 (RIFF RMP3) or wave (WAVE files only: tags behind the audio)")
      ->check(CLI::IsMember(ModeNames()));
  command->add_option("--encoding", edits.encoding, "Code page to write texts in (any iconv name)")
      ->capture_default_str();
  command->add_flag("--force", set.force,
                    "Write a file that is not MPEG audio, or turn a WAVE file without MPEG audio into mp3 or "
                    "rmp3, anyway");
  command->add_flag("--preserve-times", set.preserveTimes,
                    "Keep the file's access and modification times as they were before the edit");
  command->add_flag("--backup", set.backup,
                    "Copy each file to NAME.orig before writing it (refused if that exists)");
  command->add_option("FILE", set.files, "Files to rewrite")->required();
  command->footer(kExitCodes);
  return command;
}

// A word as a shell takes it back: quoted when it holds anything but
// letters, digits and - _ . / = : , +
std::string QuotedWord(const std::string& word) {
  if (!word.empty() &&
      word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_./=:,+") ==
          std::string::npos)
    return word;
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine line;
  CLI::App app{"Reads and edits the tags of MPEG audio files: bare streams, RIFF RMP3 and WAVE."};
  app.name("vomtrail");
  app.require_subcommand(0, 1);
  bool showVersion = false;
  app.add_flag("--version", showVersion, "Show the module's version (as the version command does)");
  app.footer(kExitCodes);
  // Paths such as /music/a.mp3 are arguments, not Windows-style options.
  app.allow_windows_style_options(false);

  line.info.encoding = kDefaultEncoding;
  line.set.edits.encoding = kDefaultEncoding;
  std::optional<std::string> to;
  CLI::App* info = AddInfo(app, line.info);
  CLI::App* set = AddSet(app, line.set, to);
  CLI::App* version = app.add_subcommand("version", "Show the module's version");
  line.exportTable.encoding = kDefaultEncoding;
  CLI::App* exportTable = AddExport(app, line.exportTable);
  line.importTable.encoding = kDefaultEncoding;
  CLI::App* importTable = AddImport(app, line.importTable);
  line.rename.encoding = kDefaultEncoding;
  CLI::App* rename = AddRename(app, line.rename);
  CLI::App* history = AddHistory(app, line.history);
  CLI::App* undo = AddUndo(app, line.undo);
  // The journal names the command a run carried out.
  std::string words;
  for (int i = 1; i < argc; ++i) words += (i > 1 ? " " : "") + QuotedWord(argv[i]);
  line.rename.commandText = line.undo.commandText = line.importTable.commandText = words;

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);  // prints help, or the error and a hint
    line.exitStatus = status == 0 ? kExitOk : kExitUsage;
    return line;
  }
  if (!showVersion && !*info && !*set && !*version && !*exportTable && !*importTable && !*rename &&
      !*history && !*undo) {
    ReportUsage(
        "a command is needed: info, set, export, import, rename, history, undo or version (see --help)");
    line.exitStatus = kExitUsage;
  }
  if (to) line.set.mode = ModeNamed(*to);
  line.command = showVersion || *version ? Command::Version
                 : *info                 ? Command::Info
                 : *exportTable          ? Command::Export
                 : *importTable          ? Command::Import
                 : *rename               ? Command::Rename
                 : *history              ? Command::History
                 : *undo                 ? Command::Undo
                                         : Command::Set;
  return line;
}

}  // namespace vthost
