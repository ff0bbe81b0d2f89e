// What a file is, from its own bytes, before the command trusts the module's
// record: the module decodes whatever four bytes it finds as a frame header,
// so a PNG, FLAC or text file would otherwise show as MPEG audio and be
// "written" with an ID3v1 block appended.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "ByteSource.h"
#include "MpegFrame.h"
#include "RiffChunks.h"
#include "tags/TagTrailer.h"

namespace vtinspect {

// The ID3v2 tag a file starts with, as far as its first ten bytes tell.
struct Id3v2AtStart {
  int major = 0, revision = 0;
  std::uint64_t size = 0;  // the whole tag: header, frames, padding and footer
};

// The containers the command knows a file by.
enum class Container { Mpeg, Rmp3, Wave, Unknown };

// How much of a file's head and tail the inspection reads at once: the tags
// at the two ends and the first frames usually lie within them.
inline constexpr std::size_t kHeadBytes = 64 * 1024;
inline constexpr std::size_t kTailBytes = 64 * 1024;

struct FileProbe {
  bool readable = false;  // false: the module names the failure
  std::uint64_t size = 0;
  std::optional<Id3v2AtStart> id3v2;  // the first of the tags at the start
  std::uint64_t tagsEnd = 0;          // behind the tags at the start, which may stand one behind another
  std::optional<RiffFacts> riff;
  std::optional<FrameHeader> frame;  // the first frame's header
  std::uint64_t frameOffset = 0;
  std::uint64_t skipped = 0;  // bytes between where the first frame belongs and where it was found
  std::optional<FrameCountHeader> frameCount;
  std::optional<Trailer> trailer;  // a bare stream's blocks behind the audio
  std::string looksLike;           // for files that are not MPEG audio: what they seem to be, or empty

  bool TooShort() const { return readable && size < 4; }
  bool IsRiffAudio() const { return riff && riff->form != RiffForm::Other; }
  bool IsWave() const { return riff && riff->form == RiffForm::Wave; }
  // MPEG audio, or a RIFF WAVE/RMP3 container the module knows how to write.
  bool Recognised() const { return frame || IsRiffAudio(); }
  // A WAVE file whose audio is not MPEG, as its "fmt " chunk says.
  bool IsNonMpegWave() const { return IsWave() && (!riff->format || !IsMpegFormat(riff->format->Audio())); }
  Container WhichContainer() const;
  // Where the audio ends: at the end of a RIFF data chunk (as far as the file
  // holds it), or before a bare stream's blocks at the end.
  std::uint64_t AudioEnd() const;
};

// `file` is best a HeadAndTail over the file: the probe asks for bytes near
// both ends.
FileProbe ProbeBytes(ByteSource& file);
// A file that is not a regular file, or cannot be opened, is not readable.
FileProbe ProbeFile(const std::filesystem::path& path);

}  // namespace vtinspect
