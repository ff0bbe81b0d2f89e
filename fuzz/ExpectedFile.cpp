#include "ExpectedFile.h"

#include <cstring>
#include <string>

#include "ExpectedTexts.h"

namespace vomtrail::fuzzing {
namespace {

constexpr std::uint32_t kInvalidData = 13;
constexpr std::uint32_t kHandleEof = 38;

bool HasAt(const Bytes& file, std::size_t at, const char* text) {
  const std::size_t n = std::strlen(text);
  return at + n <= file.size() && std::memcmp(file.data() + at, text, n) == 0;
}

void Append(Bytes& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

void AppendLittleEndian32(Bytes& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutLittleEndian32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Checks the data size against the file and turns it into a span.
AudioSpan Span(const Bytes& file, std::size_t start, std::uint32_t rawSize) {
  if (rawSize > 0x7FFFFFFFu) return {kInvalidData};  // negative as a signed size
  if (start + rawSize > file.size()) return {kHandleEof};
  return {0, start, rawSize};
}

AudioSpan LocateRmp3(const Bytes& file) {
  if (!HasAt(file, 0, "RIFF") || !HasAt(file, 8, "RMP3")) return {kInvalidData};
  if (file.size() < 20) return {kHandleEof};
  return Span(file, 20, LittleEndian32(file.data() + 16));
}

AudioSpan LocateWave(const Bytes& file) {
  if (!HasAt(file, 0, "RIFF") || !HasAt(file, 8, "WAVE")) return {kInvalidData};
  // A 'd' takes the three bytes after it along, match or not.
  for (std::size_t at = 0; at < file.size();) {
    if (file[at] != 'd') {
      ++at;
      continue;
    }
    if (at + 4 > file.size()) return {kHandleEof};
    if (HasAt(file, at + 1, "ata")) {
      if (at + 8 > file.size()) return {kHandleEof};
      return Span(file, at + 8, LittleEndian32(file.data() + at + 4));
    }
    at += 4;
  }
  return {kInvalidData};
}

// "LIST" INFO with the sixteen text sub-chunks, then the "IID3" chunk with
// the ID3v1 block as its body.
void AppendTagChunks(ExpectedFile& out, const TagInfo& info) {
  std::string texts[16];
  std::uint32_t listSize = 4 + 16 * 8 + 8 + 128;
  for (std::size_t k = 0; k < 16; ++k) {
    texts[k] = InfoText(info.Items[k]);
    texts[k] += texts[k].size() % 2 == 0 ? std::string(2, '\0') : std::string(1, '\0');
    listSize += static_cast<std::uint32_t>(texts[k].size());
  }
  Bytes& b = out.bytes;
  out.listAt = b.size();
  Append(b, "LIST");
  AppendLittleEndian32(b, listSize);
  Append(b, "INFO");
  for (std::size_t k = 0; k < 16; ++k) {
    out.infoAt[k] = b.size();
    Append(b, kInfoIds[k]);
    // The size counts the terminating zero, not the pad byte.
    const std::size_t textLength = texts[k].find('\0');
    AppendLittleEndian32(b, static_cast<std::uint32_t>(textLength + 1));
    Append(b, texts[k]);
  }
  out.iid3At = b.size();
  Append(b, "IID3");
  AppendLittleEndian32(b, 128);
  Append(b, Id3v1Block(info));
}

}  // namespace

const char* const kInfoIds[17] = {"INAM", "IART", "IPRD", "ICMT", "IGNR", "IMP3", "ICOP", "ICRD", "IENG",
                                  "ISRC", "ISFT", "IKEY", "ITCH", "ILYC", "ICMS", "IMED", "IID3"};

AudioSpan LocateAudio(const Bytes& file, std::uint8_t fileKind) {
  switch (fileKind) {
    case VT_KIND_MPEG: {
      // A record that says bare stream for a RIFF RMP3 or WAVE file is stale.
      if (HasAt(file, 0, "RIFF") && (HasAt(file, 8, "RMP3") || HasAt(file, 8, "WAVE"))) return {kInvalidData};
      const bool trailer = file.size() >= 128 && HasAt(file, file.size() - 128, "TAG");
      return {0, 0, trailer ? file.size() - 128 : file.size()};
    }
    case VT_KIND_RMP3:
      return LocateRmp3(file);
    default:
      return LocateWave(file);
  }
}

ExpectedFile BuildExpectedFile(const Bytes& source, const AudioSpan& audio, const TagInfo& info,
                               std::uint8_t mode) {
  ExpectedFile out;
  Bytes& b = out.bytes;
  const auto audioBegin = source.begin() + static_cast<std::ptrdiff_t>(audio.start);
  const auto audioEnd = audioBegin + static_cast<std::ptrdiff_t>(audio.size);
  if (mode == 0) {
    b.assign(audioBegin, audioEnd);
    Append(b, Id3v1Block(info));
    return out;
  }
  if (mode == 1) {
    Append(b, "RIFF");
    AppendLittleEndian32(b, 0);  // the RIFF size, once the length is known
    Append(b, "RMP3");
    Append(b, "data");
    AppendLittleEndian32(b, static_cast<std::uint32_t>(audio.size));
    b.insert(b.end(), audioBegin, audioEnd);
  } else {
    // The WAVE file's own head and audio, at the same offsets.
    b.assign(source.begin(), audioEnd);
  }
  if (audio.size % 2 == 1) b.push_back(0);  // a chunk of odd size is padded
  AppendTagChunks(out, info);
  PutLittleEndian32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
  return out;
}

}  // namespace vomtrail::fuzzing
