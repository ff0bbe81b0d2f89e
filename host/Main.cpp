// vomtrail: read and edit the tags of MPEG, RIFF RMP3 and WAVE files from a
// terminal, through the tag module's three exported functions.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "FileNames.h"
#include "ModuleCalls.h"
#include "TextCodec.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#endif

namespace {

using namespace vthost;

int Run(int argc, char** argv) {
  CLI::App app{"Reads and edits the tags of MPEG audio files: bare streams, RIFF RMP3 and WAVE."};
  app.name("vomtrail");
  app.require_subcommand(0, 1);
  bool showVersion = false;
  app.add_flag("--version", showVersion, "Show the module's version (as the version command does)");
  const std::string exitCodes =
      "Exit codes: 0 every file done; 1 a file failed or was refused (the others are still done);\n"
      "2 usage error (nothing read or written).";
  app.footer(exitCodes);
  // Paths such as /music/a.mp3 are arguments, not Windows-style options.
  app.allow_windows_style_options(false);

  InfoOptions info;
  info.encoding = kDefaultEncoding;
  CLI::App* infoCommand = app.add_subcommand("info", "Show the stream, container and tags of files");
  infoCommand->add_flag("--json", info.json, "One JSON object per file per line");
  infoCommand->add_flag("--all-files", info.allFiles,
                        "In folders, take every file, not only .mp3 .mp2 .mp1 .mpa .wav .rmp .rmp3 ones");
  infoCommand
      ->add_option("--encoding", info.encoding,
                   "Code page of texts that are not UTF-8 (any iconv name, e.g. CP932)")
      ->capture_default_str();
  infoCommand->add_option("PATH", info.paths, "Files, or folders to walk for files")->required();

  infoCommand->footer(exitCodes);

  SetOptions set;
  set.encoding = kDefaultEncoding;
  CLI::App* setCommand = app.add_subcommand("set", "Edit the tags of files and write them back");
  setCommand->add_option("--title", set.title, "ID3v1 title (30 bytes)");
  setCommand->add_option("--artist", set.artist, "ID3v1 artist (30 bytes)");
  setCommand->add_option("--album", set.album, "ID3v1 album (30 bytes)");
  setCommand->add_option("--year", set.year, "ID3v1 year (4 bytes)");
  setCommand->add_option("--comment", set.comment, "ID3v1 comment (30 bytes, 28 with a track)");
  setCommand->add_option("--track", set.track, "Track number: writes an ID3v1.1 block")
      ->check(CLI::Range(0, 255));
  setCommand->add_option("--genre", set.genre, "Genre number 0-255 or name (e.g. Rock)");
  setCommand->add_option("--info", set.info, "RIFF INFO text, ID=TEXT (e.g. ICOP=2024 Me); repeatable");
  setCommand
      ->add_option(
          "--to", set.to,
          "Write as mp3 (bare stream), rmp3 (RIFF RMP3) or wave (WAVE files only: tags behind the audio)")
      ->check(CLI::IsMember({"mp3", "rmp3", "wave"}));
  setCommand->add_option("--encoding", set.encoding, "Code page to write texts in (any iconv name)")
      ->capture_default_str();
  setCommand->add_flag(
      "--force", set.force,
      "Write a file that is not MPEG audio, or turn a WAVE file without MPEG audio into mp3 or "
      "rmp3, anyway");
  setCommand->add_flag("--preserve-times", set.preserveTimes,
                       "Keep the file's access and modification times as they were before the edit");
  setCommand->add_flag("--backup", set.backup,
                       "Copy each file to NAME.orig before writing it (refused if that exists)");
  setCommand->add_option("FILE", set.files, "Files to rewrite")->required();

  setCommand->footer(exitCodes);

  CLI::App* versionCommand = app.add_subcommand("version", "Show the module's version");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);  // prints help, or the error and a hint
    return status == 0 ? kExitOk : kExitUsage;
  }

  if (!showVersion && !*infoCommand && !*setCommand && !*versionCommand) {
    std::fprintf(stderr, "vomtrail: a command is needed: info, set or version (see --help)\n");
    return kExitUsage;
  }
  if (const std::string failure = LoadModule(); !failure.empty()) {
    std::fprintf(stderr, "vomtrail: %s\n", failure.c_str());
    return kExitFileFailed;
  }
  if (*versionCommand || showVersion) {
    std::cout << CallGetVersion() << '\n';
    return kExitOk;
  }
  for (const std::string* encoding : {&info.encoding, &set.encoding}) {
    if (!IsKnownEncoding(*encoding)) {
      ReportUsage("unknown encoding " + *encoding);
      return kExitUsage;
    }
  }
  if (*infoCommand) return RunInfo(info);
  return RunSet(set);
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
  ::SetConsoleOutputCP(CP_UTF8);  // every text the host prints is UTF-8
#else
  // A write beyond a file-size limit (ulimit -f) would kill the program
  // before it could say which file could not grow; ignored, it fails the
  // write with EFBIG instead.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  std::vector<std::string> arguments = CommandLineUtf8(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  try {
    return Run(static_cast<int>(pointers.size()), pointers.data());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vomtrail: %s\n", e.what());
    return kExitFileFailed;
  }
}
