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

CLI::App* AddSet(CLI::App& app, SetOptions& set, std::optional<std::string>& to,
                 std::optional<std::string>& from) {
  EditOptions& edits = set.edits;
  CLI::App* command = app.add_subcommand("set", "Edit the tags of files and write them back");
  // An MP3 file's ID3v2 tag takes each of these texts whole (--id3v1-only
  // leaves it alone); the widths are the ID3v1 fields'.
  command->add_option(
      "--title", edits.title,
      "Title (ID3v1: 30 bytes; an MP3 file's ID3v2 tag too); a pattern, as every text option");
  command->add_option("--artist", edits.artist, "Artist (ID3v1: 30 bytes; an MP3 file's ID3v2 tag too)");
  command->add_option("--album", edits.album, "Album (ID3v1: 30 bytes; an MP3 file's ID3v2 tag too)");
  command->add_option("--year", edits.year, "Year (ID3v1: 4 bytes; an MP3 file's ID3v2 tag too)");
  command->add_option("--comment", edits.comment,
                      "Comment (ID3v1: 30 bytes, 28 with a track; an MP3 file's ID3v2 tag too)");
  command->add_option("--track", edits.track,
                      "Track number 0-255: writes an ID3v1.1 block; N/TOTAL takes N (ID3v1 keeps no total, "
                      "an ID3v2 tag does)");
  command->add_option("--genre", edits.genre, "Genre number 0-255 or name (e.g. Rock)");
  // One ID=TEXT per --info: a vector option would otherwise take the file
  // names after it as more texts.
  command
      ->add_option("--info", edits.info,
                   "RIFF INFO text, ID=TEXT (e.g. ICOP=2024 Me); repeatable. IDs: " + WritableInfoIds())
      ->allow_extra_args(false);
  command
      ->add_option(
          "--to", to,
          "Write as mp3 (bare stream), rmp3 (RIFF RMP3) or wave (WAVE files only: tags behind the audio)")
      ->check(CLI::IsMember(ModeNames()));
  command->add_option("--encoding", edits.encoding, "Code page to write texts in (any iconv name)")
      ->capture_default_str();
  command
      ->add_option(
          "--from", from,
          "Fill the other tag kinds from one: id3v2 (into ID3v1 and INFO), info (into ID3v1) or id3v1 "
          "(into INFO); text options given too win")
      ->check(CLI::IsMember(CopySourceNames()));
  command->add_flag("--id3v1-only", set.id3v1Only,
                    "Leave an MP3 file's ID3v2 tag as it is (text options change it too otherwise)");
  command->add_flag(
      "--force", set.force,
      "Write a file that is not MPEG audio, turn a WAVE file without MPEG audio into mp3 or rmp3, "
      "or put an ID3v2 tag into an RMP3 data chunk, anyway");
  command->add_flag("--preserve-times", set.preserveTimes,
                    "Keep the file's access and modification times as they were before the edit");
  command->add_flag(
      "--backup", set.backup,
      "Keep each file as it was as NAME.orig (refused if that exists): the old file itself when "
      "the write makes a new one, else a copy");
  command->add_flag("--strip-id3v2", set.stripId3v2,
                    "Take an ID3v2 tag at the start of the audio out of RIFF output (its texts go into the "
                    "INFO and ID3v1 fields the edit leaves empty)");
  command->add_flag("--rename-extension", set.renameExtension,
                    "Give a written file the usual extension of its form (.mp3, .rmp3, .wav), never over an "
                    "existing name");
  command->add_flag("--dry-run", set.dryRun,
                    "Show what would be written to each file (form, texts, whether the audio moves, bytes) "
                    "and write nothing");
  command->add_option(
      "--from-name", set.fromName,
      "Read fields from each file's path, e.g. '{artist} - {album}/{track} {title}' (from the "
      "right: the last part is the name without its extension); files that do not match are "
      "named and left alone");
  command->add_flag("--all-files", set.allFiles, "In folders, take every file, not only audio names");
  AddJobs(*command, set.jobs);
  AddJournalOptions(*command, set.journal);
  command->add_option("PATH", set.files, "Files, or folders to walk for files")->required();
  command->footer(
      "Every text option is a pattern: fields of the file in braces, e.g. --title '{track:02} {title}' "
      "(fields: title artist album year comment track genre, any INFO id, filename stem ext dir parent; "
      "formats :02 :.20 :upper :lower :title; {{ and }} are braces).\n"
      "A folder stands for every .mp3 .mp2 .mp1 .mpa .wav .rmp .rmp3 file below it at any depth (every file "
      "with --all-files), as for info: there is no --recursive option, and links to folders are not "
      "followed. A file whose record the edits leave as it is is not written. The run ends with a summary: "
      "written, unchanged, refused, failed.\n"
      "Every run that writes keeps an undo journal: vomtrail history, vomtrail undo.\n" +
      std::string(kExitCodes));
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
  std::optional<std::string> to, from;
  CLI::App* info = AddInfo(app, line.info);
  CLI::App* set = AddSet(app, line.set, to, from);
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
  line.rename.commandText = line.undo.commandText = line.importTable.commandText = line.set.commandText =
      words;

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
  if (from) line.set.from = CopySourceNamed(*from);
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
