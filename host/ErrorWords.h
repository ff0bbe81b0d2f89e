// The module reports failures as Win32 codes; a person wants words.
#pragma once

#include <cstdint>
#include <string>

namespace vthost {

// What went wrong, for a file the record describes as container `fileKind`
// (the same code means "not a RIFF RMP3 file" for one and "no data chunk"
// for another). After a failed GetInfo the record holds the kind when the
// failure came after the container probe, and 0 from the cleared record
// otherwise.
std::string ErrorWords(std::uint32_t code, int fileKind);

// Failures the host finds in the file before the module is asked.
inline constexpr const char* kTooShort = "the file is too short to hold an MPEG frame";
inline constexpr const char* kStreamedWave =
    "the WAVE file's data size is unknown (streamed file); the module cannot rewrite it";
// A write refused for size: SetInfo reports it as "too large", which for a
// file below 2 GiB means a file-size limit (ulimit -f) or the file system.
inline constexpr const char* kCouldNotGrow =
    "the file could not grow (a file-size limit or the file system refused the write)";

}  // namespace vthost
