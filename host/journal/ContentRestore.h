// Puts kept content back into a file: pieces of kept bytes and of the file's
// own current bytes, one after another, through the commit layer every
// write of the command goes through (system/ContentWrites.h): in place when
// the file's own bytes stay where they are, else in a new file that takes
// the old one's place in one step, so that an interruption leaves the file
// as it was or as it is to become.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vthost {

struct RestorePiece {
  std::filesystem::path kept;           // bytes of this kept file, all of them
  std::optional<std::uint64_t> offset;  // or: bytes of the file itself, from here
  std::uint64_t length = 0;             // (for the file's own bytes)
};

// An empty text on success, else why not; the file is then as it was.
std::string RestoreContent(const std::filesystem::path& path, const std::vector<RestorePiece>& pieces);

}  // namespace vthost
