// The module reports failures as Win32 codes; a person wants words.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vthost {

// What went wrong, for a file the record describes as container `fileKind`
// (the same code means "not a RIFF RMP3 file" for one and "no data chunk"
// for another). After a failed GetInfo the record holds the kind when the
// failure came after the container probe, and 0 from the cleared record
// otherwise.
std::string ErrorWords(std::uint32_t code, int fileKind);

// What the path is when it is not a file the module can open: a folder, a
// FIFO, a device or a socket, or a loop of symbolic links. The module
// answers "access denied" for the first four and "input/output error" for
// a loop; the path itself says which.
std::optional<std::string> NotAFile(const std::filesystem::path& path);

// ErrorWords, with what the path is in place of the module's words where
// that says more.
std::string FailureWords(std::uint32_t code, int fileKind, const std::filesystem::path& path);

// Failures the command finds in the file before the module is asked.
inline constexpr const char* kTooShort = "the file is too short to hold an MPEG frame";
inline constexpr const char* kStreamedWave =
    "the WAVE file's data size is unknown (streamed file); the module cannot rewrite it";
// A write refused for size: SetInfo reports it as "too large", which for a
// file below 2 GiB means a file-size limit (ulimit -f) or the file system.
inline constexpr const char* kCouldNotGrow =
    "the file could not grow (a file-size limit or the file system refused the write)";
inline constexpr const char* kIsAFolder = "is a folder, not a file";

}  // namespace vthost
