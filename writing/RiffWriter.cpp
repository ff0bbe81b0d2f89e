#include "RiffWriter.h"

#include <array>
#include <cstring>

#include "ByteOrder.h"
#include "ByteReader.h"
#include "IdTable.h"
#include "Texts.h"

namespace vomtrail {
namespace {

constexpr std::uint32_t kIid3BodySize = 128;
// "INFO", sixteen 8-byte sub-chunk headers, the "IID3" header and its body.
constexpr std::uint32_t kListFixedBytes = 4 + kWrittenInfoIds * 8 + 8 + kIid3BodySize;
// "RIFF", its size, "RMP3" and the "data" chunk header.
constexpr std::size_t kFreshHeadBytes = 20;

// "RIFF", size, "RMP3", "data", data size. When the source's audio already
// starts at 20 (an RMP3 file rewritten as one), each of these words that the
// old head holds already is kept in place, all but the size word, which is
// always written: it is the last write of an edit in place (see SetInfo).
void WriteFreshHead(ByteReader& source, Image& image, std::uint32_t riffSize, std::uint32_t dataSize) {
  std::uint8_t fresh[kFreshHeadBytes];
  std::memcpy(fresh, "RIFF", 4);
  PutLittleEndian32(fresh + 4, riffSize);
  std::memcpy(fresh + 8, "RMP3data", 8);
  PutLittleEndian32(fresh + 16, dataSize);
  if (source.Position() != static_cast<std::int64_t>(kFreshHeadBytes)) {
    image.Write(fresh);
    return;
  }
  std::uint8_t old[kFreshHeadBytes];
  source.Seek(0);
  source.Read(old);  // back at the first audio byte
  for (std::size_t at = 0; at < kFreshHeadBytes; at += 4) {
    const std::span<const std::uint8_t> word(fresh + at, 4);
    if (at != 4 && std::memcmp(old + at, word.data(), 4) == 0)
      image.Keep(4, at);
    else
      image.Write(word);
  }
}

}  // namespace

std::span<const std::uint8_t> InfoText(const Str255& item) {
  std::span<const std::uint8_t> text = TrimLeadingBlanks(TrimTrailingBlanks(TextOf(item)));
  const auto* zero = static_cast<const std::uint8_t*>(std::memchr(text.data(), 0, text.size()));
  if (zero != nullptr) text = text.first(static_cast<std::size_t>(zero - text.data()));
  return TrimTrailingBlanks(text);
}

std::uint32_t ListSize(const TagInfo& info) {
  std::uint32_t size = kListFixedBytes;
  for (std::size_t k = 0; k < kWrittenInfoIds; ++k) {
    const std::size_t n = k == VT_ITEM_ISFT ? sizeof kSoftwareName - 1 : InfoText(info.Items[k]).size();
    size += static_cast<std::uint32_t>(n) + NulPadCount(n);
  }
  return size;
}

void WriteRiffImage(ByteReader& source, Image& image, TagInfo& info, std::int32_t dataSize, bool keepHead) {
  // The host's record shows the software name from here on, as the file will.
  StoreText(info.Items[VT_ITEM_ISFT], kSoftwareName);
  const std::uint32_t listSize = ListSize(info);
  const auto audio = static_cast<std::size_t>(dataSize);
  const std::size_t head = keepHead ? static_cast<std::size_t>(source.Position()) : kFreshHeadBytes;
  // Every size is known before the head is written, the RIFF size too: the
  // image's final length less the 8 bytes of "RIFF" and the size itself.
  const auto riffSize = static_cast<std::uint32_t>(head + audio + audio % 2 + listSize);

  if (keepHead) {
    // "RIFF" and everything from the form type to the end of the audio stay
    // as the source has them; the size word alone changes. The head is at
    // least "RIFF", size, form and a data chunk header, so 8 bytes or more.
    source.Seek(0);
    CarryOver(source, image, 4);
    image.WriteLittleEndian32(riffSize);
    source.Skip(4);
    CarryOver(source, image, head - 8 + audio);
  } else {
    WriteFreshHead(source, image, riffSize, static_cast<std::uint32_t>(dataSize));
    CarryOver(source, image, audio);
  }
  if (audio % 2 == 1) image.WriteByte(0);  // chunks start at even offsets

  image.Write("LIST");
  image.WriteLittleEndian32(listSize);
  image.Write("INFO");
  for (std::size_t k = 0; k < kWrittenInfoIds; ++k) {
    const std::span<const std::uint8_t> text = InfoText(info.Items[k]);
    std::array<std::uint8_t, 256> body{};
    std::memcpy(body.data(), text.data(), text.size());
    image.Write(kInfoIds[k]);
    image.WriteLittleEndian32(static_cast<std::uint32_t>(text.size() + 1));  // text and terminator
    image.Write(std::span<const std::uint8_t>(body.data(), text.size() + NulPadCount(text.size())));
  }
  image.Write("IID3");
  image.WriteLittleEndian32(kIid3BodySize);
}

}  // namespace vomtrail
