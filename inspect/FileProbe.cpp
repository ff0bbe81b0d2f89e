#include "FileProbe.h"

#include <array>
#include <string_view>
#include <utility>

#include "FileBytes.h"
#include "FrameSync.h"
#include "HeadAndTail.h"
#include "platform/ByteOrder.h"
#include "tags/Bytes.h"

namespace vtinspect {
namespace {

using vomtrail::ByteAt;

// How much of the first frame is read: the frame-count headers and LAME's
// extension lie in its first 200 bytes.
constexpr std::size_t kFrameBytes = 2048;
// Tags standing one behind another at the start; more are not looked for.
constexpr int kMostTagsAtStart = 16;

std::optional<Id3v2AtStart> ReadId3v2Header(std::string_view head) {
  if (head.size() < 10 || head.substr(0, 3) != "ID3") return std::nullopt;
  std::uint64_t size = 0;
  for (std::size_t i = 6; i < 10; ++i) size = (size << 7) | (ByteAt(head, i) & 0x7Fu);
  const bool footer = ByteAt(head, 3) == 4 && (ByteAt(head, 5) & 0x10u) != 0;
  return Id3v2AtStart{ByteAt(head, 3), ByteAt(head, 4), size + 10 + (footer ? 10 : 0)};
}

// Marks of common files that are not MPEG audio, so that a refusal can say
// what the file seems to be.
std::string LooksLike(std::string_view head) {
  static const std::array<std::pair<std::string_view, const char*>, 9> kMarks = {{
      {"\x89PNG", "a PNG image"},
      {"fLaC", "FLAC audio"},
      {"OggS", "an Ogg file"},
      {"\xFF\xD8\xFF", "a JPEG image"},
      {"GIF8", "a GIF image"},
      {"%PDF", "a PDF document"},
      {"PK\x03\x04", "a ZIP archive"},
      {"FORM", "an IFF/AIFF file"},
      {"\x30\x26\xB2\x75", "an ASF/WMA file"},
  }};
  for (const auto& [mark, name] : kMarks)
    if (head.substr(0, mark.size()) == mark) return name;
  if (head.size() >= 8 && head.substr(4, 4) == "ftyp") return "an MP4/M4A file";
  if (head.size() >= 12 && head.substr(0, 4) == "RIFF")
    return "a RIFF file of form " + std::string(head.substr(8, 4));
  if (head.substr(0, 3) == "ID3") return "an ID3v2 tag with no MPEG frame behind it";
  return "";
}

void TakeFrame(FileProbe& probe, ByteSource& file, std::uint64_t from) {
  const auto found = FindFirstFrame(file, from, probe.AudioEnd());
  if (!found) return;
  probe.frame = found->header;
  probe.frameOffset = found->offset;
  probe.skipped = found->offset - from;
  probe.frameCount = FindFrameCountHeader(file.Read(found->offset, kFrameBytes), found->header);
}

// The tags at the start, one behind another; the first is kept.
void SkipId3v2Tags(FileProbe& probe, ByteSource& file) {
  for (int count = 0; count < kMostTagsAtStart && probe.tagsEnd < probe.size; ++count) {
    const auto tag = ReadId3v2Header(file.Read(probe.tagsEnd, 10));
    if (!tag) break;
    if (!probe.id3v2) probe.id3v2 = tag;
    probe.tagsEnd += tag->size;
  }
}

Trailer FindTrailerOf(ByteSource& file, std::uint64_t size) {
  const std::uint64_t take = size < kTailBytes ? size : kTailBytes;
  const std::string tail = file.Read(size - take, static_cast<std::size_t>(take));
  return FindTrailer(size, Bytes(reinterpret_cast<const std::uint8_t*>(tail.data()), tail.size()));
}

}  // namespace

Container FileProbe::WhichContainer() const {
  if (IsWave()) return Container::Wave;
  if (IsRiffAudio()) return Container::Rmp3;
  return frame ? Container::Mpeg : Container::Unknown;
}

std::uint64_t FileProbe::AudioEnd() const {
  if (riff && riff->dataOffset) {
    const std::uint64_t offset = *riff->dataOffset;
    const std::uint64_t held = size > offset ? size - offset : 0;
    return offset + (riff->Streamed() || riff->dataSize > held ? held : riff->dataSize);
  }
  if (trailer && trailer->audio_end > tagsEnd) return trailer->audio_end;
  return size > tagsEnd ? size : tagsEnd;
}

FileProbe ProbeBytes(ByteSource& file) {
  FileProbe probe;
  probe.readable = true;
  probe.size = file.Size();
  const std::string head = file.Read(0, 16);
  if (head.size() < 4) return probe;

  if (head.substr(0, 4) == "RIFF") {
    probe.riff = WalkRiff(file);
    // Other audio in a WAVE file is not searched for frames: its samples
    // may look like headers.
    if (probe.riff->dataOffset && !probe.IsNonMpegWave()) TakeFrame(probe, file, *probe.riff->dataOffset);
  } else {
    SkipId3v2Tags(probe, file);
    probe.trailer = FindTrailerOf(file, probe.size);
    TakeFrame(probe, file, probe.tagsEnd);
  }
  if (!probe.frame) probe.looksLike = LooksLike(head);
  return probe;
}

FileProbe ProbeFile(const std::filesystem::path& path) {
  FileBytes file(path);
  if (!file.IsOpen()) return FileProbe{};
  HeadAndTail ends(file, kHeadBytes, kTailBytes);
  return ProbeBytes(ends);
}

}  // namespace vtinspect
