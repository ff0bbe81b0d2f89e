// What a WAVE file's audio is, read from its "fmt " chunk. The host needs
// this before turning a WAVE file into an MP3 or RMP3 file: those keep only
// the data chunk's bytes, which is right for MPEG audio and throws away PCM.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace vthost {

inline constexpr std::uint16_t kFormatMpeg = 0x0050;
inline constexpr std::uint16_t kFormatMpegLayer3 = 0x0055;

// Whether the file starts as a RIFF WAVE file. GetInfo reports a WAVE file
// without MPEG frames (PCM audio) as FileKind 0, since it clears the stream
// fields when no frame length comes out; the host asks the file itself.
bool IsRiffWave(const std::filesystem::path& path);

// The format tag of the first "fmt " chunk of a RIFF WAVE file, or nothing
// when the file is no RIFF WAVE file or has no readable "fmt " chunk.
std::optional<std::uint16_t> WaveFormatTag(const std::filesystem::path& path);

inline bool IsMpegFormat(std::uint16_t tag) { return tag == kFormatMpeg || tag == kFormatMpegLayer3; }

}  // namespace vthost
