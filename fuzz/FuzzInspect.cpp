// The inspection of files (inspect/) on arbitrary bytes, as the vomtrail
// command and the library's callers run it on files from anywhere: the
// whole input is the file. Whatever the probe reports must lie inside the
// file, the frame it found must decode again where it says, the tags it read
// must stand where it found them, and a length must be a finite number of
// seconds, not negative, over no more audio bytes than the file holds.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "FileInspection.h"
#include "FuzzCheck.h"
#include "RiffChunks.h"

using namespace vtinspect;

namespace {

void CheckProbe(const FileProbe& probe, std::string_view file) {
  FUZZ_CHECK(probe.readable && probe.size == file.size(), "the probe sees the whole file");
  if (probe.frame) {
    FUZZ_CHECK(probe.frameOffset + 4 <= file.size(), "the first frame's header is in the file");
    FUZZ_CHECK(DecodeFrameHeader(file.substr(static_cast<std::size_t>(probe.frameOffset))),
               "the first frame decodes where the probe says it is");
    FUZZ_CHECK(probe.skipped <= probe.frameOffset, "the bytes skipped lie before the first frame");
    FUZZ_CHECK(probe.frameOffset < probe.AudioEnd(), "the first frame lies in the audio");
    FUZZ_CHECK(probe.looksLike.empty(), "MPEG audio looks like nothing else");
  }
  if (probe.id3v2)
    FUZZ_CHECK(probe.id3v2->size >= 10 && probe.tagsEnd >= 10, "an ID3v2 tag holds its header");
  if (probe.trailer) {
    FUZZ_CHECK(probe.trailer->audio_end <= file.size(), "the blocks at the end lie in the file");
    for (const TrailerBlock& block : probe.trailer->blocks)
      FUZZ_CHECK(block.begin >= probe.trailer->audio_end && block.begin + block.size <= file.size(),
                 "a block at the end lies behind the audio");
  }
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

void CheckLength(const PlayLength& length, std::string_view file) {
  FUZZ_CHECK(std::isfinite(length.seconds) && length.seconds >= 0, "a length is a number of seconds");
  FUZZ_CHECK(std::isfinite(length.bitrate) && length.bitrate >= 0, "a bitrate is a number of bits a second");
  FUZZ_CHECK(length.audioBytes <= file.size(), "the audio lies within the file");
  if (length.source == LengthSource::Counted)
    FUZZ_CHECK(*length.frames * 4 <= length.audioBytes, "every frame counted lies in the audio");
  if (length.gapless)
    FUZZ_CHECK(length.seconds <= length.gapless->framesSeconds, "gapless playback leaves samples out");
  FUZZ_CHECK(!length.promisedSeconds || length.source == LengthSource::Counted,
             "a file cut short is measured by counting");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  MemoryBytes bytes(file);
  const FileInspection inspection = InspectBytes(bytes);
  CheckProbe(inspection.probe, file);
  if (inspection.length) CheckLength(*inspection.length, file);
  if (inspection.id3v1)
    FUZZ_CHECK(inspection.id3v1->title.size() <= 30 && inspection.id3v1->year.size() <= 4,
               "ID3v1 texts fit their fields");
  for (const Id3v2Tag& tag : inspection.id3v2)
    FUZZ_CHECK(tag.total_size >= 10, "a tag in the stack holds at least its header");
  for (const InfoText& text : ParseInfoList(file, 0))
    FUZZ_CHECK(text.offset + 8 <= file.size(), "a sub-chunk's header is in the list");
  return 0;
}
