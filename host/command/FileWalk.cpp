#include "command/FileWalk.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "system/FileNames.h"

namespace vthost {

namespace fs = std::filesystem;

namespace {

std::string Unreadable(const std::error_code& error) {
  if (error == std::errc::permission_denied) return "the folder cannot be read: access denied";
  return "the folder cannot be read: " + error.message();
}

// The files below `root`, depth first. A folder that cannot be opened or
// read to the end is named and the walk goes on with the others.
void Walk(const fs::path& root, bool allFiles, std::vector<fs::path>& found,
          std::vector<UnreadFolder>& unread) {
  std::vector<fs::path> folders = {root};
  while (!folders.empty()) {
    const fs::path folder = std::move(folders.back());
    folders.pop_back();
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      std::error_code entryError;
      if (it->is_directory(entryError) && !it->is_symlink(entryError)) {
        folders.push_back(it->path());
      } else if (it->is_regular_file(entryError) && (allFiles || HasAudioName(it->path()))) {
        found.push_back(it->path());
      }
    }
    if (error) unread.push_back({folder, Unreadable(error)});
  }
}

}  // namespace

bool HasAudioName(const fs::path& path) {
  std::string extension = DisplayName(path.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* audio : {".mp3", ".mp2", ".mp1", ".mpa", ".wav", ".rmp", ".rmp3"})
    if (extension == audio) return true;
  return false;
}

FileList ListFiles(const std::vector<std::string>& arguments, bool walkFolders, bool allFiles) {
  FileList list;
  for (const std::string& argument : arguments) {
    const fs::path path = PathFromUtf8(argument);
    std::error_code error;
    if (!walkFolders || !fs::is_directory(path, error)) {
      list.files.push_back(path);
      continue;
    }
    std::vector<fs::path> found;
    Walk(path, allFiles, found, list.unread);
    std::sort(found.begin(), found.end());
    list.files.insert(list.files.end(), found.begin(), found.end());
  }
  return list;
}

}  // namespace vthost
