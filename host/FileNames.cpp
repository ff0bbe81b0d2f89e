#include "FileNames.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace vthost {

namespace fs = std::filesystem;

fs::path PathFromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string DisplayName(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool HasAudioName(const fs::path& path) {
  std::string extension = DisplayName(path.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* audio : {".mp3", ".mp2", ".mp1", ".mpa", ".wav", ".rmp", ".rmp3"})
    if (extension == audio) return true;
  return false;
}

std::vector<fs::path> ExpandPaths(const std::vector<std::string>& arguments, bool walkFolders,
                                  bool allFiles) {
  std::vector<fs::path> paths;
  for (const std::string& argument : arguments) {
    const fs::path path = PathFromUtf8(argument);
    std::error_code error;
    if (!walkFolders || !fs::is_directory(path, error)) {
      paths.push_back(path);  // a missing file is the module's to report
      continue;
    }
    std::vector<fs::path> found;
    for (auto it =
             fs::recursive_directory_iterator(path, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (it->is_regular_file(error) && (allFiles || HasAudioName(it->path()))) found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    paths.insert(paths.end(), found.begin(), found.end());
  }
  return paths;
}

}  // namespace vthost
