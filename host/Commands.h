// The subcommands of `vomtrail`. Each returns the exit status: 0 when every
// file succeeded, 1 when any failed, 2 for a usage error.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vthost {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailed = 1;
inline constexpr int kExitUsage = 2;

struct InfoOptions {
  bool json = false;
  bool allFiles = false;  // walk folders for every file, not only audio names
  std::string encoding;
  std::vector<std::string> paths;
};

struct SetOptions {
  std::optional<std::string> title, artist, album, year, comment, genre, to;
  std::optional<int> track;
  std::vector<std::string> info;  // ID=TEXT
  std::string encoding;
  bool force = false;
  bool preserveTimes = false;
  bool backup = false;
  std::vector<std::string> files;
};

int RunInfo(const InfoOptions& options);
int RunSet(const SetOptions& options);

// Prints "vomtrail: <name>: <message>" on stderr, control bytes escaped.
void ReportFailure(const std::string& name, const std::string& message);
// Prints "vomtrail: <message>" on stderr, for what concerns no one file.
void ReportUsage(const std::string& message);

// Why a path cannot be handed to the module.
extern const char* const kUnusableName;

}  // namespace vthost
