// What SetInfo makes of a file, worked out by the host from the record and
// the file's own bytes: where the module finds the audio, the tag bytes it
// writes, and the length and layout of the file it leaves. The command uses
// it to say beforehand what a write will do (--dry-run) and to check
// afterwards that the file is what was asked for: a host that trusts a
// write it has not read back cannot tell a failure from a success.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ByteSource.h"
#include "TagInfo.h"

namespace vthost {

inline constexpr std::size_t kId3v1BlockSize = 128;
inline constexpr int kWrittenInfoIds = 16;  // items 0 to 15; IID3 holds the ID3v1 block

// The bytes the module copies as audio: from `offset`, `size` of them.
struct AudioSpan {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  bool operator==(const AudioSpan&) const = default;
};

// Where SetInfo takes the audio from in a file of `kind` (VT_KIND_*), by its
// own rules: a bare stream is the whole file less a final ID3v1 block (an
// ID3v2 tag in front is part of it); an RMP3 file's data chunk is the size
// at offset 16 and the bytes from 20; a WAVE file's is found by a search
// for the bytes "data" from offset 0. Nothing when the module would find no
// audio the file holds.
std::optional<AudioSpan> ModuleAudio(vtinspect::ByteSource& file, int kind);

// The offset of the first "data" the module's search meets: a 'd' takes the
// three bytes after it along, match or not. Nothing when there is none
// before `limit`.
std::optional<std::uint64_t> ModuleDataSearch(vtinspect::ByteSource& file, std::uint64_t limit);

// The 128-byte ID3v1 block written for the record.
std::string Id3v1BlockFor(const TagInfo& info);

// The 16 INFO texts written for the record, in item order: each item with
// blanks and control bytes taken off both ends and cut at a zero byte;
// ISFT is the module's own name.
std::array<std::string, kWrittenInfoIds> InfoTextsFor(const TagInfo& info);

// One text as the module writes it from an item holding `bytes`.
std::string InfoTextAsWritten(std::string_view bytes);

// Whether a listed text is the whole of `written`, a text longer than the
// module writes that the record held cut (Record.h, kInfoTextWidth): the
// list before the audio keeps such a text whole.
bool WholeOfCut(std::string_view listed, const std::string& written);

// The size field of the LIST chunk written for the record.
std::uint32_t InfoListSizeFor(const TagInfo& info);

// The file a write leaves: its length, where the audio stands, and how many
// bytes are written when the audio stays where it was (those of the tags
// and the RIFF head) or, when it moves, the whole new file.
struct WriteOutcome {
  std::uint64_t length = 0;
  AudioSpan audio;
  bool audioMoves = false;
  std::uint64_t bytesWritten = 0;
};

// `audio` is ModuleAudio of the file as it is.
WriteOutcome PredictWrite(const TagInfo& info, int mode, const AudioSpan& audio);

}  // namespace vthost
