// The file name extensions that go with each form a file is written in. A
// converted file keeps its name, and a ".wav" that now holds a bare MPEG
// stream makes other programs fail on it; the command says so and, when
// asked, renames it.
#pragma once

#include <filesystem>
#include <optional>

namespace vthost {

// The name the file would have with the usual extension of `mode`
// (VT_MODE_*) for MPEG audio of `layer` (1 to 3; 0 when unknown): .mp1,
// .mp2 or .mp3, .rmp3, .wav. Nothing when the name fits already (.mpa fits
// a bare stream of any layer, .rmp an RMP3 file, .wave a WAVE file) or has
// no extension at all.
std::optional<std::filesystem::path> BetterName(const std::filesystem::path& path, int mode, int layer);

}  // namespace vthost
