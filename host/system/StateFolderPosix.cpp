#include <cstdlib>

#include "system/StateFolder.h"

namespace vthost {

std::optional<std::filesystem::path> StateFolder() {
  if (const char* own = std::getenv("VOMTRAIL_STATE_HOME"); own != nullptr && own[0] == '/') return own;
  // The XDG rule: a relative XDG_STATE_HOME is invalid and ignored.
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
    return std::filesystem::path(state) / "vomtrail";
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
    return std::filesystem::path(home) / ".local" / "state" / "vomtrail";
  return std::nullopt;
}

}  // namespace vthost
