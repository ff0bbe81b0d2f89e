// What a file is, from its own bytes, before the host trusts the module's
// record: the module decodes whatever four bytes it finds as a frame header,
// so a PNG, FLAC or text file would otherwise show as MPEG audio and be
// "written" with an ID3v1 block appended.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "MpegFrame.h"
#include "RiffChunks.h"

namespace vthost {

struct Id3v2Tag {
  int major = 0, revision = 0;
  std::uint64_t size = 0;  // the whole tag: header, frames, padding and footer
};

struct FileProbe {
  bool readable = false;  // false: the module names the failure
  std::uint64_t size = 0;
  std::optional<Id3v2Tag> id3v2;
  std::optional<RiffFacts> riff;
  std::optional<FrameHeader> frame;  // a valid header where the first frame belongs
  std::uint64_t frameOffset = 0;
  std::optional<FrameCountHeader> frameCount;
  std::string looksLike;  // for files that are not MPEG audio: what they seem to be, or empty

  bool TooShort() const { return readable && size < 4; }
  bool IsRiffAudio() const { return riff && (riff->form == "WAVE" || riff->form == "RMP3"); }
  bool IsWave() const { return riff && riff->form == "WAVE"; }
  // MPEG audio, or a RIFF WAVE/RMP3 container the module knows how to write.
  bool Recognised() const { return frame || IsRiffAudio(); }
  // A WAVE file whose audio is not MPEG, as its "fmt " chunk says.
  bool IsNonMpegWave() const { return IsWave() && (!riff->format || !IsMpegFormat(riff->format->tag)); }
};

FileProbe ProbeFile(const std::filesystem::path& path);

}  // namespace vthost
