#include "FileInspection.h"

#include <algorithm>

#include "FileBytes.h"
#include "HeadAndTail.h"
#include "tags/Bytes.h"

namespace vtinspect {
namespace {

// A tag is read whole up to this size; the readers report the rest of a
// longer one as cut short. Real tags with large covers stay far below it.
constexpr std::uint64_t kMostTagBytes = 16u << 20;

Bytes AsBytes(const std::string& bytes) {
  return Bytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::optional<ApeTag> ReadApe(ByteSource& file, const Trailer& trailer) {
  for (const TrailerBlock& block : trailer.blocks) {
    if (block.kind != TrailerKind::kApe) continue;
    const std::string bytes =
        file.Read(block.begin, static_cast<std::size_t>(std::min(block.size, kMostTagBytes)));
    if (bytes.size() != block.size) return std::nullopt;
    ApeTag tag = ReadApeTagEndingAt(AsBytes(bytes), bytes.size());
    if (!tag.found) return std::nullopt;
    tag.begin = static_cast<std::size_t>(block.begin);
    return tag;
  }
  return std::nullopt;
}

std::optional<Id3v1Block> ReadId3v1(ByteSource& file, const Trailer& trailer) {
  for (const TrailerBlock& block : trailer.blocks)
    if (block.kind == TrailerKind::kId3v1) return ParseId3v1Block(file.Read(block.begin, 128));
  return std::nullopt;
}

}  // namespace

FileInspection InspectBytes(ByteSource& file, const InspectOptions& options) {
  FileInspection inspection;
  inspection.probe = ProbeBytes(file);
  const FileProbe& probe = inspection.probe;
  if (options.tags && probe.id3v2) {
    const std::string tags = file.Read(0, static_cast<std::size_t>(std::min(probe.tagsEnd, kMostTagBytes)));
    inspection.id3v2 = ReadId3v2Stack(AsBytes(tags));
  }
  if (probe.trailer) {
    if (options.tags) inspection.ape = ReadApe(file, *probe.trailer);
    inspection.id3v1 = ReadId3v1(file, *probe.trailer);
  }
  if (options.length) inspection.length = MeasurePlayLength(file, probe);
  return inspection;
}

FileInspection InspectFile(const std::filesystem::path& path, const InspectOptions& options) {
  FileBytes file(path);
  if (!file.IsOpen()) return FileInspection{};
  HeadAndTail ends(file, kHeadBytes, kTailBytes);
  return InspectBytes(ends, options);
}

}  // namespace vtinspect
