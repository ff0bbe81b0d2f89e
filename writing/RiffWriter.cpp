#include "RiffWriter.h"

#include <array>
#include <cstring>

#include "ByteReader.h"
#include "IdTable.h"
#include "Texts.h"

namespace vomtrail {
namespace {

constexpr std::uint32_t kIid3BodySize = 128;
// "INFO", sixteen 8-byte sub-chunk headers, the "IID3" header and its body.
constexpr std::uint32_t kListFixedBytes = 4 + kWrittenInfoIds * 8 + 8 + kIid3BodySize;
// "RMP3" plus the "data" and "LIST" chunk headers.
constexpr std::uint32_t kFreshHeadOverhead = 4 + 8 + 8;

std::span<const std::uint8_t> TrimEnd(std::span<const std::uint8_t> t) {
  while (!t.empty() && t.back() <= 0x20) t = t.first(t.size() - 1);
  return t;
}

}  // namespace

std::span<const std::uint8_t> InfoText(const Str255& item) {
  std::span<const std::uint8_t> text = TrimEnd(TextOf(item));
  while (!text.empty() && text.front() <= 0x20) text = text.subspan(1);
  const auto* zero = static_cast<const std::uint8_t*>(std::memchr(text.data(), 0, text.size()));
  if (zero != nullptr) text = text.first(static_cast<std::size_t>(zero - text.data()));
  return TrimEnd(text);
}

std::uint32_t ListSize(const TagInfo& info) {
  std::uint32_t size = kListFixedBytes;
  for (std::size_t k = 0; k < kWrittenInfoIds; ++k) {
    const std::size_t n = k == VT_ITEM_ISFT ? sizeof kSoftwareName - 1 : InfoText(info.Items[k]).size();
    size += static_cast<std::uint32_t>(n) + NulPadCount(n);
  }
  return size;
}

std::int64_t RiffImageLength(const TagInfo& info, std::int64_t headBytes, std::int32_t dataSize) {
  const std::int64_t pad = dataSize % 2;
  return headBytes + dataSize + pad + 8 + ListSize(info);
}

void WriteRiffImage(ByteReader& source, Image& image, TagInfo& info, std::int32_t dataSize, bool keepHead) {
  // The host's record shows the software name from here on, as the file will.
  StoreText(info.Items[VT_ITEM_ISFT], kSoftwareName);
  const std::uint32_t listSize = ListSize(info);
  const auto audio = static_cast<std::size_t>(dataSize);

  if (keepHead) {
    const auto head = static_cast<std::size_t>(source.Position());
    source.Seek(0);
    source.Read(image.Claim(head + audio));
  } else {
    const std::uint64_t riffSize = kFreshHeadOverhead + audio + audio % 2 + listSize;
    image.Write("RIFF");
    image.WriteLittleEndian32(static_cast<std::uint32_t>(riffSize));
    image.Write("RMP3");
    image.Write("data");
    image.WriteLittleEndian32(static_cast<std::uint32_t>(dataSize));
    source.Read(image.Claim(audio));
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
