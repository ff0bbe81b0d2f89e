// Where the command keeps what outlives a run (the undo journal): a folder
// of the user's own, $XDG_STATE_HOME/vomtrail or ~/.local/state/vomtrail on
// POSIX, %LOCALAPPDATA%\vomtrail on Windows; $VOMTRAIL_STATE_HOME itself
// wherever it is set (an absolute path on POSIX), which also reaches a
// Windows build under Wine, whose LOCALAPPDATA Wine sets itself.
#pragma once

#include <filesystem>
#include <optional>

namespace vthost {

// The folder (not yet made), or nothing when the environment names no home.
std::optional<std::filesystem::path> StateFolder();

}  // namespace vthost
