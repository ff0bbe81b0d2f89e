// The file a rewrite must produce, and the code it must fail with, worked
// out from the container layouts alone: where a source's audio lies for the
// FileKind a record claims, and the bytes of the bare, RMP3 or WAVE result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "TagInfo.h"

namespace vomtrail::fuzzing {

using Bytes = std::vector<std::uint8_t>;

// The audio bytes of a source file, or the Win32 code with which a rewrite
// of it must fail (code 0: found).
struct AudioSpan {
  std::uint32_t code = 0;
  std::size_t start = 0;
  std::size_t size = 0;
};

// Bare stream: the whole file, less a trailing 128-byte block that starts
// "TAG" (refused when the file is a RIFF RMP3 or WAVE file). RMP3: the data chunk's size at 16, audio
// from 20. WAVE: the first "data" id from offset 0, its size behind it, audio behind that.
AudioSpan LocateAudio(const Bytes& file, std::uint8_t fileKind);

struct ExpectedFile {
  Bytes bytes;
  // Where the "LIST" chunk, each INFO sub-chunk and the "IID3" chunk start
  // (RIFF results only).
  std::size_t listAt = 0;
  std::array<std::size_t, 16> infoAt{};
  std::size_t iid3At = 0;
};

// The new file for mode 0, 1 or 2 from the source, its audio and the record
// as the call left it.
ExpectedFile BuildExpectedFile(const Bytes& source, const AudioSpan& audio, const TagInfo& info,
                               std::uint8_t mode);

// The 17 RIFF INFO ids in item order, "INAM" to "IID3".
extern const char* const kInfoIds[17];

}  // namespace vomtrail::fuzzing
