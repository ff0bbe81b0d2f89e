// Where the command keeps what outlives a run (the undo journal): a folder
// of the user's own, $XDG_STATE_HOME/vomtrail or ~/.local/state/vomtrail on
// POSIX, %LOCALAPPDATA%\vomtrail on Windows.
#pragma once

#include <filesystem>
#include <optional>

namespace vthost {

// The folder (not yet made), or nothing when the environment names no home.
std::optional<std::filesystem::path> StateFolder();

}  // namespace vthost
