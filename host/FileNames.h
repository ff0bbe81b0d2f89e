// File names between the command line, the file system and the module. The
// module takes a counted name of at most 255 bytes in the system's ANSI
// code page (Windows) or the file system's bytes (Linux).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TagInfo.h"

namespace vthost {

// The command line as UTF-8 texts, argv[0] included. Windows reads the
// wide command line, so that texts outside the ANSI code page survive.
std::vector<std::string> CommandLineUtf8(int argc, char** argv);

std::filesystem::path PathFromUtf8(const std::string& text);

std::string DisplayName(const std::filesystem::path& path);

// The name as the module takes it, or nothing when it is longer than 255
// bytes or (Windows) has characters the ANSI code page cannot hold.
std::optional<Str255> ModuleFileName(const std::filesystem::path& path);

// The paths to work on: each argument as given, except that with
// `walkFolders` a folder stands for the files below it, in name order: those
// with an audio name (.mp3 .mp2 .mp1 .mpa .wav .rmp .rmp3, any case), or all
// with `allFiles`.
std::vector<std::filesystem::path> ExpandPaths(const std::vector<std::string>& arguments, bool walkFolders,
                                               bool allFiles = false);

bool HasAudioName(const std::filesystem::path& path);

}  // namespace vthost
