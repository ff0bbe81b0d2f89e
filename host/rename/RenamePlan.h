// The plan of a rename run: which file gets which name, in which order, and
// which are left alone and why. Nothing is ever renamed over another file:
// a name that exists is refused unless its file moves away earlier in the
// same run; two files that would get one name (letter case aside: FAT, NTFS
// and macOS disks do not tell a.mp3 from A.mp3) are both refused, and so
// are names that go round in a circle.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vthost {

struct WantedName {
  std::filesystem::path from;
  std::optional<std::filesystem::path> to;  // nothing: refused already, for `refusal`
  std::string refusal;
  std::optional<std::filesystem::path> backup;  // NAME.orig beside `from`, which moves along
};

struct RenameStep {
  std::filesystem::path from, to;
  std::optional<std::filesystem::path> backupFrom, backupTo;
};

struct RenameRefusal {
  std::filesystem::path from;
  std::string why;
};

struct RenamePlan {
  std::vector<RenameStep> steps;  // in the order to carry them out
  std::vector<std::filesystem::path> unchanged;
  std::vector<RenameRefusal> refused;
};

// What the file system says: whether a path exists (links not followed), and
// whether two paths name one file.
struct NameLookup {
  std::function<bool(const std::filesystem::path&)> exists;
  std::function<bool(const std::filesystem::path&, const std::filesystem::path&)> sameFile;
};

RenamePlan PlanRenames(const std::vector<WantedName>& wanted, const NameLookup& lookup);

// The lookup of the real file system.
NameLookup FileSystemLookup();

}  // namespace vthost
