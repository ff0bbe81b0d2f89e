#include "edits/Extensions.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "TagInfo.h"

namespace vthost {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::vector<std::string> Fitting(int mode) {
  switch (mode) {
    case VT_MODE_RMP3:
      return {".rmp3", ".rmp"};
    case VT_MODE_WAVE:
      return {".wav", ".wave"};
    default:
      return {".mp3", ".mp2", ".mp1", ".mpa"};
  }
}

std::string Usual(int mode, int layer) {
  if (mode != VT_MODE_MP3) return Fitting(mode).front();
  return layer == 1 ? ".mp1" : layer == 2 ? ".mp2" : ".mp3";
}

}  // namespace

std::optional<std::filesystem::path> BetterName(const std::filesystem::path& path, int mode, int layer) {
  const std::string extension = Lower(path.extension().string());
  if (extension.empty()) return std::nullopt;
  const std::vector<std::string> fitting = Fitting(mode);
  if (std::find(fitting.begin(), fitting.end(), extension) != fitting.end()) return std::nullopt;
  std::filesystem::path better = path;
  better.replace_extension(Usual(mode, layer));
  return better;
}

}  // namespace vthost
