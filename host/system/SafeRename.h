// Renames that never take another file's place: between the look and the
// rename another program could create the target, so the system is asked to
// refuse an existing target in the same step (renameat2 with
// RENAME_NOREPLACE on Linux, a hard link then an unlink where the file
// system lacks it; MoveFileExW without MOVEFILE_REPLACE_EXISTING on
// Windows). The folder is flushed afterwards, so the new name survives a
// power cut.
#pragma once

#include <filesystem>
#include <string>

namespace vthost {

// An empty text on success, else why not ("the name exists already", ...).
std::string RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vthost
