#include "rename/PortableNames.h"

#include <algorithm>
#include <cctype>

#include "system/TextCodec.h"

namespace vthost {
namespace {

bool Refused(unsigned char c) {
  return c < 0x20 || c == 0x7F ||
         std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsReservedDevice(std::string_view stem) {
  std::string upper(stem);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  for (const char* name : {"CON", "PRN", "AUX", "NUL"})
    if (upper == name) return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

// The longest start of `text` in at most `limit` bytes, whole characters.
std::string_view FittingStart(std::string_view text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(text, end), 1);
    if (end + length > limit) break;
    end += length;
  }
  return text.substr(0, end);
}

}  // namespace

std::string PortableNamePart(std::string_view part, bool keepExtension) {
  std::string name;
  for (const char c : part) name += Refused(static_cast<unsigned char>(c)) ? '_' : c;
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  if (name.empty()) return "_";
  const std::size_t dot = keepExtension ? name.rfind('.') : std::string::npos;
  std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
  if (IsReservedDevice(stem)) stem += '_';
  if (stem.size() + extension.size() > kLongestNamePart) {
    if (extension.size() > kLongestNamePart / 2) {
      stem += extension;
      extension.clear();
    }
    stem = std::string(FittingStart(stem, kLongestNamePart - extension.size()));
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.')) stem.pop_back();
    if (stem.empty()) stem = "_";
  }
  return stem + extension;
}

}  // namespace vthost
