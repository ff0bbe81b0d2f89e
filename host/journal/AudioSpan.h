// Where a file's audio lies. A tag write changes the bytes around the audio
// (the head: RIFF header, chunks and lists before "data", an ID3v2 tag; the
// tail: what follows the data chunk, an ID3v1 block) and never the audio
// itself, which stays or moves whole. So the journal keeps the bytes around
// the audio, and an undo puts them back around the audio wherever it is
// then.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "FileProbe.h"

namespace vthost {

struct ByteSpan {
  std::uint64_t offset = 0, length = 0;
  std::uint64_t End() const { return offset + length; }
};

// A RIFF file's data chunk body; an MPEG stream's bytes from its first frame
// to the end or to an ID3v1 block. Nothing for a file whose audio the
// inspection did not find (the whole file is then kept as it is), or a
// streamed WAVE file, whose data size says nothing.
std::optional<ByteSpan> AudioSpanOf(const std::filesystem::path& path, const vtinspect::FileProbe& probe);

}  // namespace vthost
