#include "journal/AudioSpan.h"

#include <fstream>

namespace vthost {
namespace {

constexpr std::uint64_t kId3v1Size = 128;

bool EndsWithId3v1(const std::filesystem::path& path, std::uint64_t size) {
  if (size < kId3v1Size) return false;
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(size - kId3v1Size));
  char tag[3] = {};
  return in.read(tag, 3) && tag[0] == 'T' && tag[1] == 'A' && tag[2] == 'G';
}

}  // namespace

std::optional<ByteSpan> AudioSpanOf(const std::filesystem::path& path, const vtinspect::FileProbe& probe) {
  if (!probe.readable) return std::nullopt;
  if (probe.IsRiffAudio()) {
    if (!probe.riff->dataOffset || probe.riff->Streamed() || *probe.riff->dataOffset > probe.size)
      return std::nullopt;
    const std::uint64_t offset = *probe.riff->dataOffset;
    const std::uint64_t length = std::min<std::uint64_t>(probe.riff->dataSize, probe.size - offset);
    return ByteSpan{offset, length};
  }
  if (!probe.frame || probe.frameOffset > probe.size) return std::nullopt;
  std::uint64_t end = probe.size;
  if (EndsWithId3v1(path, probe.size) && end - kId3v1Size >= probe.frameOffset) end -= kId3v1Size;
  return ByteSpan{probe.frameOffset, end - probe.frameOffset};
}

}  // namespace vthost
