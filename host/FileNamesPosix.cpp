// Linux: arguments and file names are bytes, UTF-8 by convention.
#include <cstring>

#include "FileNames.h"

namespace vthost {

std::vector<std::string> CommandLineUtf8(int argc, char** argv) { return {argv, argv + argc}; }

std::optional<Str255> ModuleFileName(const std::filesystem::path& path) {
  const std::string& bytes = path.native();
  if (bytes.size() > 255) return std::nullopt;
  Str255 name{};
  name.Length = static_cast<std::uint8_t>(bytes.size());
  std::memcpy(name.Text, bytes.data(), bytes.size());
  return name;
}

}  // namespace vthost
