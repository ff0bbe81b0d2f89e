// The walk through the chunks of a RIFF file. The module finds the data
// chunk by a byte search and reads INFO texts only in a window behind the
// audio; tools such as ffmpeg write their LIST INFO before "data", and a
// WAVE file with a long head has its list behind the audio out of the
// module's reach. The inspection reads every list itself, before and behind
// the audio, so that the command can show them and carry their texts over
// an edit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ByteSource.h"

namespace vtinspect {

inline constexpr std::uint16_t kFormatPcm = 0x0001;
inline constexpr std::uint16_t kFormatMpeg = 0x0050;
inline constexpr std::uint16_t kFormatMpegLayer3 = 0x0055;
// WAVE_FORMAT_EXTENSIBLE: the real format is the subformat GUID's first two
// bytes, behind the extension's other fields (sox writes PCM this way for
// more than two channels or 16 bits).
inline constexpr std::uint16_t kFormatExtensible = 0xFFFE;

inline bool IsMpegFormat(std::uint16_t tag) { return tag == kFormatMpeg || tag == kFormatMpegLayer3; }

// A data size the writer could not know: ffmpeg and others write all ones
// when they stream a WAVE file to a pipe.
inline constexpr std::uint32_t kStreamedSize = 0xFFFFFFFFu;

// The RIFF forms the module reads and writes; any other is Other.
enum class RiffForm { Wave, Rmp3, Other };

struct WaveFormat {
  std::uint16_t tag = 0;
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::optional<std::uint16_t> subFormat;  // of an extensible format whose chunk holds it

  // The format the audio is in: the subformat of an extensible one.
  std::uint16_t Audio() const { return tag == kFormatExtensible && subFormat ? *subFormat : tag; }
};

struct InfoText {
  std::string id;
  std::string bytes;     // up to the first zero byte, without trailing blanks
  std::uint64_t offset;  // of the text's sub-chunk in the file
};

// A top-level chunk as the walk met it.
struct ChunkSpan {
  std::string id;
  std::uint64_t offset = 0;  // of the chunk's id
  std::uint32_t size = 0;    // of its body, as its header says (the pad byte of an odd size not counted)
  std::string listType;      // for a LIST chunk: "INFO", "adtl", ...
  std::uint64_t End() const { return offset + 8 + size + (size & 1u); }
};

struct RiffFacts {
  RiffForm form = RiffForm::Other;
  std::optional<WaveFormat> format;
  std::optional<std::uint64_t> dataOffset;  // first byte of the data chunk's body
  std::uint32_t dataSize = 0;
  std::optional<std::uint32_t> factSamples;  // the "fact" chunk: samples per channel of compressed audio
  std::vector<InfoText> headInfo;            // the LIST INFO texts in front of "data"
  std::vector<InfoText> tailInfo;            // the LIST INFO texts behind the audio, at any distance
  std::vector<ChunkSpan> chunks;             // every chunk walked, in file order, "data" among them
  bool damaged = false;                      // a chunk before the audio runs past the end or has no id
  bool Streamed() const { return dataOffset && dataSize == kStreamedSize; }
};

// The chunks of a file that starts "RIFF": those before "data", "data"
// itself, and those behind the audio up to the end of the file or the
// first bytes that are no chunk (an ID3v1 block appended by some tools).
RiffFacts WalkRiff(ByteSource& file);

// The sub-chunks of a LIST INFO body (the bytes behind "INFO"); `base` is the
// file offset of that body. Stops at the first sub-chunk without an id.
std::vector<InfoText> ParseInfoList(std::string_view body, std::uint64_t base);

}  // namespace vtinspect
