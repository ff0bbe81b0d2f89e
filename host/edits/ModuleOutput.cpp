#include "edits/ModuleOutput.h"

#include <algorithm>

#include "Blanks.h"
#include "Record.h"
#include "platform/ByteOrder.h"

namespace vthost {
namespace {

using vtinspect::IsBlank;

constexpr std::string_view kModuleName = "Vom Trail!";  // every RIFF file the module writes names it
constexpr std::uint64_t kRmp3AudioOffset = 20;          // "RIFF", size, "RMP3", "data", size
constexpr std::uint64_t kListHeader = 8;
constexpr std::size_t kSearchBlock = 64 * 1024;

std::uint32_t LittleEndian32At(vtinspect::ByteSource& file, std::uint64_t offset) {
  const std::string bytes = file.Read(offset, 4);
  return bytes.size() == 4 ? vomtrail::LittleEndian32(bytes, 0) : 0;
}

// The module's sizes are signed 32-bit: a size word of 2^31 or more is no size.
std::optional<AudioSpan> Within(vtinspect::ByteSource& file, std::uint64_t offset, std::uint32_t size) {
  if (size > 0x7FFFFFFFu || offset + size > file.Size()) return std::nullopt;
  return AudioSpan{offset, size};
}

void AppendField(std::string& block, const Str255& item, std::size_t width) {
  std::string field = std::string(TextOf(item).substr(0, 30));
  field.resize(30, ' ');
  block += field.substr(0, width);
}

}  // namespace

std::string InfoTextAsWritten(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  text = text.substr(0, text.find('\0'));
  return std::string(vtinspect::WithoutTrailingBlanks(text));
}

bool WholeOfCut(std::string_view listed, const std::string& written) {
  const std::string whole = InfoTextAsWritten(listed);
  return whole.size() > kInfoTextWidth && InfoTextAsWritten(whole.substr(0, kInfoTextWidth)) == written;
}

std::optional<std::uint64_t> ModuleDataSearch(vtinspect::ByteSource& file, std::uint64_t limit) {
  std::uint64_t at = 0;
  while (at < limit && at < file.Size()) {
    // Three bytes more than are scanned, for a match across the block's end.
    const std::string block = file.Read(at, kSearchBlock + 3);
    const std::size_t scanned = std::min(block.size(), kSearchBlock);
    std::size_t i = 0;
    while (i < scanned) {
      if (block[i] != 'd') {
        ++i;
        continue;
      }
      if (at + i >= limit || i + 4 > block.size()) return std::nullopt;
      if (std::string_view(block).substr(i + 1, 3) == "ata") return at + i;
      i += 4;  // the three bytes went with the 'd'
    }
    at += i;
  }
  return std::nullopt;
}

std::optional<AudioSpan> ModuleAudio(vtinspect::ByteSource& file, int kind) {
  const std::uint64_t size = file.Size();
  switch (kind) {
    case VT_KIND_MPEG: {
      const bool id3v1 = size >= kId3v1BlockSize && file.Read(size - kId3v1BlockSize, 3) == "TAG";
      return AudioSpan{0, id3v1 ? size - kId3v1BlockSize : size};
    }
    case VT_KIND_RMP3:
      if (size < kRmp3AudioOffset) return std::nullopt;
      return Within(file, kRmp3AudioOffset, LittleEndian32At(file, 16));
    case VT_KIND_WAVE: {
      const auto data = ModuleDataSearch(file, size);
      if (!data || *data + 8 > size) return std::nullopt;
      return Within(file, *data + 8, LittleEndian32At(file, *data + 4));
    }
    default:
      return std::nullopt;
  }
}

std::string Id3v1BlockFor(const TagInfo& info) {
  std::string block = "TAG";
  AppendField(block, info.Items[VT_ITEM_TITLE], 30);
  AppendField(block, info.Items[VT_ITEM_ARTIST], 30);
  AppendField(block, info.Items[VT_ITEM_ALBUM], 30);
  AppendField(block, info.Items[VT_ITEM_YEAR], 4);
  if (info.TagKind == VT_TAG_ID3V11) {
    AppendField(block, info.Items[VT_ITEM_COMMENT], 28);
    block += '\0';
    block += static_cast<char>(static_cast<std::uint32_t>(info.Track) & 0xFFu);
  } else {
    AppendField(block, info.Items[VT_ITEM_COMMENT], 30);
  }
  block += static_cast<char>(info.Items[VT_ITEM_GENRE].Text[0]);
  return block;
}

std::array<std::string, kWrittenInfoIds> InfoTextsFor(const TagInfo& info) {
  std::array<std::string, kWrittenInfoIds> texts;
  for (int item = 0; item < kWrittenInfoIds; ++item)
    texts[static_cast<std::size_t>(item)] =
        item == VT_ITEM_ISFT ? std::string(kModuleName) : InfoTextAsWritten(TextOf(info.Items[item]));
  return texts;
}

std::uint32_t InfoListSizeFor(const TagInfo& info) {
  // "INFO", then each sub-chunk: header, text, its zero and a pad zero
  // when the text's length is even; then "IID3", its size and the block.
  std::uint32_t size = 4 + 8 + kId3v1BlockSize;
  for (const std::string& text : InfoTextsFor(info))
    size += static_cast<std::uint32_t>(8 + text.size() + (text.size() % 2 == 0 ? 2 : 1));
  return size;
}

WriteOutcome PredictWrite(const TagInfo& info, int mode, const AudioSpan& audio) {
  WriteOutcome outcome;
  if (mode == VT_MODE_MP3) {
    outcome.audio = {0, audio.size};
    outcome.length = audio.size + kId3v1BlockSize;
    outcome.audioMoves = audio.offset != 0;
    outcome.bytesWritten = outcome.audioMoves ? outcome.length : kId3v1BlockSize;
    return outcome;
  }
  const std::uint64_t pad = audio.size % 2;
  const std::uint64_t tags = pad + kListHeader + InfoListSizeFor(info);
  // Mode 2 keeps the WAVE file's own head; mode 1 writes the RMP3 head.
  const std::uint64_t head = mode == VT_MODE_WAVE ? audio.offset : kRmp3AudioOffset;
  outcome.audio = {head, audio.size};
  outcome.length = head + audio.size + tags;
  outcome.audioMoves = head != audio.offset;
  // In place, mode 1 writes its whole head anew, mode 2 only the RIFF size.
  outcome.bytesWritten = outcome.audioMoves ? outcome.length : (mode == VT_MODE_WAVE ? 4 : head) + tags;
  return outcome;
}

}  // namespace vthost
