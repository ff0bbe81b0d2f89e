// The files a command works on: each argument as given, or, for `info`, the
// files below a folder, in name order.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vthost {

// A folder below an argument that could not be read: its files are missing
// from the run, which therefore fails.
struct UnreadFolder {
  std::filesystem::path folder;
  std::string words;
};

struct FileList {
  std::vector<std::filesystem::path> files;
  std::vector<UnreadFolder> unread;
};

// With `walkFolders` a folder argument stands for the files below it: those
// with an audio name (.mp3 .mp2 .mp1 .mpa .wav .rmp .rmp3, any case), or all
// with `allFiles`. Links to files are taken; links to folders are not
// followed. Any other argument is taken as it is, for the module to read or
// to name its failure.
FileList ListFiles(const std::vector<std::string>& arguments, bool walkFolders, bool allFiles = false);

bool HasAudioName(const std::filesystem::path& path);

}  // namespace vthost
