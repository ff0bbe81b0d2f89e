// The inspection of files (inspect/) on arbitrary bytes, beside an
// arbitrary record, as the vomtrail command runs it on files from anywhere.
// Input layout:
//   byte 0     MpegFamily (modulo 3)
//   byte 1     bit 0: MpegVersion 1 (else 2), bits 1-2: Layer, bit 3: Vbr,
//              bit 4: HasTag
//   bytes 2-3  SampleRate, little-endian
//   bytes 4-5  Bitrate in kbit/s, little-endian
//   bytes 6-9  FrameCount, little-endian
//   rest       the file
// Whatever the probe reports must lie inside the file, the frame it found
// must decode again where it says, and a length must be a finite number of
// seconds, not negative, over no more audio bytes than the file holds.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "FileProbe.h"
#include "FuzzCheck.h"
#include "InputCursor.h"
#include "PlayLength.h"
#include "RiffChunks.h"

using namespace vtinspect;
using vomtrail::fuzzing::InputCursor;

namespace {

TagInfo RecordFrom(InputCursor& input) {
  TagInfo info{};
  info.MpegFamily = static_cast<std::uint8_t>(input.Byte() % 3);
  const std::uint8_t bits = input.Byte();
  info.MpegVersion = (bits & 1u) != 0 ? 1 : 2;
  info.Layer = static_cast<std::uint8_t>((bits >> 1) & 3u);
  info.Vbr = (bits >> 3) & 1u;
  info.HasTag = (bits >> 4) & 1u;
  info.SampleRate = input.Byte() | (input.Byte() << 8);
  info.Bitrate = (input.Byte() | (input.Byte() << 8)) * 1000;
  std::uint32_t frames = 0;
  for (int shift = 0; shift < 32; shift += 8) frames |= std::uint32_t{input.Byte()} << shift;
  info.FrameCount = static_cast<std::int32_t>(frames);
  return info;
}

void CheckProbe(const FileProbe& probe, std::string_view file) {
  FUZZ_CHECK(probe.readable && probe.size == file.size(), "the probe sees the whole file");
  if (probe.frame) {
    FUZZ_CHECK(probe.frameOffset + 4 <= file.size(), "the first frame's header is in the file");
    FUZZ_CHECK(DecodeFrameHeader(file.substr(static_cast<std::size_t>(probe.frameOffset))),
               "the first frame decodes where the probe says it is");
    FUZZ_CHECK(probe.looksLike.empty(), "MPEG audio looks like nothing else");
  }
  if (probe.id3v2) FUZZ_CHECK(probe.id3v2->size >= 10, "an ID3v2 tag holds at least its header");
  if (probe.riff) {
    if (probe.riff->dataOffset)
      FUZZ_CHECK(*probe.riff->dataOffset <= file.size(), "the data chunk starts in the file");
    for (const auto* texts : {&probe.riff->headInfo, &probe.riff->tailInfo})
      for (const InfoText& text : *texts) {
        FUZZ_CHECK(text.offset + 8 <= file.size() &&
                       file.substr(static_cast<std::size_t>(text.offset), 4) == text.id,
                   "a text's offset is its sub-chunk's id in the file");
        FUZZ_CHECK(text.bytes.find('\0') == std::string::npos, "a text ends at its first zero byte");
      }
    std::uint64_t end = 12;
    for (const ChunkSpan& chunk : probe.riff->chunks) {
      FUZZ_CHECK(chunk.offset == end && chunk.offset + 8 <= file.size(),
                 "the chunks follow each other in the file");
      end = chunk.End();
    }
  }
  FUZZ_CHECK(probe.Recognised() == (probe.WhichContainer() != Container::Unknown),
             "a recognised file has a container");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputCursor input(data, size);
  const TagInfo info = RecordFrom(input);
  const auto rest = input.Rest();
  const std::string_view file(reinterpret_cast<const char*>(rest.data()), rest.size());

  MemoryBytes bytes(file);
  const FileProbe probe = ProbeBytes(bytes);
  CheckProbe(probe, file);
  if (const auto length = DerivePlayLength(probe, info)) {
    FUZZ_CHECK(std::isfinite(length->seconds) && length->seconds >= 0, "a length is a number of seconds");
    FUZZ_CHECK(length->audioBytes <= file.size(), "the audio lies within the file");
  }
  for (const InfoText& text : ParseInfoList(file, 0))
    FUZZ_CHECK(text.offset + 8 <= file.size(), "a sub-chunk's header is in the list");
  return 0;
}
