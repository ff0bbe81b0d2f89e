#include "RiffChunks.h"

#include <utility>

#include "Blanks.h"
#include "platform/ByteOrder.h"

namespace vtinspect {
namespace {

using vomtrail::LittleEndian16;
using vomtrail::LittleEndian32;

// Bounds on a walk through a damaged or hostile file: the number of chunks
// looked at, the bytes of one LIST read into memory and the INFO texts kept.
constexpr int kMaxChunks = 4096;
constexpr std::size_t kMaxListBytes = 1u << 20;
constexpr std::size_t kMaxTexts = 4096;

bool IsChunkId(std::string_view id) {
  for (const char c : id)
    if (c < 0x20 || c > 0x7E) return false;
  return id.size() == 4;
}

std::string TextOfChunk(std::string_view body) {
  const std::size_t zero = body.find('\0');
  if (zero != std::string_view::npos) body = body.substr(0, zero);
  return std::string(WithoutTrailingBlanks(body));
}

// The "fmt " chunk of WAVE_FORMAT_EXTENSIBLE: the common 16 bytes, the
// extension's size, valid bits, channel mask and the subformat GUID.
constexpr std::size_t kExtensibleSize = 40;
constexpr std::size_t kSubFormatAt = 24;

// The format tag alone decides what the audio is; the other fields stay 0
// in a chunk too short to hold them.
std::optional<WaveFormat> ReadFormat(std::string fmt) {
  if (fmt.size() < 2) return std::nullopt;
  const std::size_t held = fmt.size();
  fmt.resize(kExtensibleSize, '\0');
  WaveFormat format{LittleEndian16(fmt, 0), LittleEndian16(fmt, 2), LittleEndian32(fmt, 4),
                    LittleEndian32(fmt, 8), std::nullopt};
  if (format.tag == kFormatExtensible && held >= kSubFormatAt + 2)
    format.subFormat = LittleEndian16(fmt, kSubFormatAt);
  return format;
}

RiffForm FormOf(std::string_view id) {
  if (id == "WAVE") return RiffForm::Wave;
  if (id == "RMP3") return RiffForm::Rmp3;
  return RiffForm::Other;
}

}  // namespace

std::vector<InfoText> ParseInfoList(std::string_view body, std::uint64_t base) {
  std::vector<InfoText> texts;
  std::size_t at = 0;
  while (body.size() >= 8 && at <= body.size() - 8) {
    const std::string_view id = body.substr(at, 4);
    if (!IsChunkId(id)) break;
    const std::uint64_t size = LittleEndian32(body, at + 4);
    const std::size_t available = body.size() - at - 8;
    const std::size_t taken = size < available ? static_cast<std::size_t>(size) : available;
    texts.push_back({std::string(id), TextOfChunk(body.substr(at + 8, taken)), base + at});
    const std::uint64_t next = at + 8 + size + (size & 1u);
    if (next > body.size()) break;
    at = static_cast<std::size_t>(next);
  }
  return texts;
}

RiffFacts WalkRiff(ByteSource& file) {
  RiffFacts facts;
  const std::string head = file.Read(0, 12);
  if (head.size() < 12) {
    facts.damaged = true;
    return facts;
  }
  facts.form = FormOf(std::string_view(head).substr(8, 4));
  std::uint64_t offset = 12;
  bool behindTheAudio = false;
  for (int count = 0; count < kMaxChunks && offset < file.Size(); ++count) {
    const std::string header = file.Read(offset, 8);
    if (header.size() < 8 || !IsChunkId(std::string_view(header).substr(0, 4))) {
      // Behind the audio, bytes that are no chunk (an ID3v1 block some
      // tools append) end the walk; the file is not damaged by them.
      facts.damaged = facts.damaged || !behindTheAudio;
      break;
    }
    ChunkSpan chunk{header.substr(0, 4), offset, LittleEndian32(header, 4), {}};
    const std::uint64_t body = offset + 8;
    const bool runsPastTheEnd = body + chunk.size > file.Size();
    if (chunk.id == "LIST" && chunk.size >= 4) chunk.listType = file.Read(body, 4);
    if (chunk.id == "data" && !behindTheAudio) {
      facts.dataOffset = body;
      facts.dataSize = chunk.size;
      facts.chunks.push_back(chunk);
      if (facts.Streamed() || runsPastTheEnd) break;  // nothing known stands behind it
      behindTheAudio = true;
      offset = chunk.End();
      continue;
    }
    if (chunk.id == "fmt " && chunk.size >= 2 && !facts.format && !behindTheAudio) {
      facts.format = ReadFormat(file.Read(body, chunk.size < kExtensibleSize ? chunk.size : kExtensibleSize));
    } else if (chunk.id == "fact" && chunk.size >= 4 && !facts.factSamples && !behindTheAudio) {
      const std::string fact = file.Read(body, 4);
      if (fact.size() == 4) facts.factSamples = LittleEndian32(fact, 0);
    } else if (chunk.listType == "INFO") {
      const std::size_t want = chunk.size - 4 < kMaxListBytes ? chunk.size - 4 : kMaxListBytes;
      const std::string list = file.Read(body + 4, want);
      std::vector<InfoText>& texts = behindTheAudio ? facts.tailInfo : facts.headInfo;
      for (InfoText& text : ParseInfoList(list, body + 4))
        if (facts.headInfo.size() + facts.tailInfo.size() < kMaxTexts) texts.push_back(std::move(text));
    }
    facts.chunks.push_back(std::move(chunk));
    if (runsPastTheEnd) {
      facts.damaged = facts.damaged || !behindTheAudio;
      break;
    }
    offset = facts.chunks.back().End();
  }
  return facts;
}

}  // namespace vtinspect
