#include "FileProbe.h"

#include <array>
#include <string_view>
#include <utility>

#include "FileBytes.h"
#include "platform/ByteOrder.h"

namespace vtinspect {
namespace {

using vomtrail::ByteAt;

// How far behind an ID3v2 tag the first frame may start (padding that the
// tag's size does not count), and how much of the first frame is read.
constexpr std::size_t kSyncWindow = 65536;
constexpr std::size_t kFrameBytes = 2048;

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

void TakeFrame(FileProbe& probe, ByteSource& file, std::uint64_t offset) {
  const std::string frame = file.Read(offset, kFrameBytes);
  probe.frame = DecodeFrameHeader(frame);
  if (!probe.frame) return;
  probe.frameOffset = offset;
  probe.frameCount = FindFrameCountHeader(frame, *probe.frame);
}

}  // namespace

Container FileProbe::WhichContainer() const {
  if (IsWave()) return Container::Wave;
  if (IsRiffAudio()) return Container::Rmp3;
  return frame ? Container::Mpeg : Container::Unknown;
}

FileProbe ProbeBytes(ByteSource& file) {
  FileProbe probe;
  probe.readable = true;
  probe.size = file.Size();
  const std::string head = file.Read(0, 16);
  if (head.size() < 4) return probe;

  if (head.substr(0, 4) == "RIFF") {
    probe.riff = WalkRiff(file);
    if (probe.riff->dataOffset) TakeFrame(probe, file, *probe.riff->dataOffset);
  } else if ((probe.id3v2 = ReadId3v2Header(head))) {
    // The first frame is the first 0xFF byte behind the tag, as for the
    // module; zero padding beyond the tag's size is common.
    const std::string behind = file.Read(probe.id3v2->size, kSyncWindow);
    const std::size_t sync = behind.find('\xFF');
    if (sync != std::string::npos) TakeFrame(probe, file, probe.id3v2->size + sync);
  } else {
    TakeFrame(probe, file, 0);
  }
  if (!probe.frame) probe.looksLike = LooksLike(head);
  return probe;
}

FileProbe ProbeFile(const std::filesystem::path& path) {
  FileBytes file(path);
  if (!file.IsOpen()) return FileProbe{};
  return ProbeBytes(file);
}

}  // namespace vtinspect
