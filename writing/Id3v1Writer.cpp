#include "Id3v1Writer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vomtrail {
namespace {

void WriteField(Image& image, const Str255& item, std::size_t width) {
  std::array<std::uint8_t, 30> field;
  field.fill(' ');
  // Never more than 30 bytes: a longer text in the record is cut here.
  std::memcpy(field.data(), item.Text, std::min<std::size_t>(item.Length, field.size()));
  image.Write(std::span<const std::uint8_t>(field.data(), width));
}

}  // namespace

void WriteId3v1Block(Image& image, const TagInfo& info) {
  image.Write("TAG");
  WriteField(image, info.Items[VT_ITEM_TITLE], 30);
  WriteField(image, info.Items[VT_ITEM_ARTIST], 30);
  WriteField(image, info.Items[VT_ITEM_ALBUM], 30);
  WriteField(image, info.Items[VT_ITEM_YEAR], 4);
  if (info.TagKind == VT_TAG_ID3V11) {
    WriteField(image, info.Items[VT_ITEM_COMMENT], 28);
    image.WriteByte(0);  // marks the ID3v1.1 form
    image.WriteByte(static_cast<std::uint8_t>(static_cast<std::uint32_t>(info.Track)));
  } else {
    WriteField(image, info.Items[VT_ITEM_COMMENT], 30);
  }
  // The genre number stands in the first text byte whatever the length says.
  image.WriteByte(info.Items[VT_ITEM_GENRE].Text[0]);
}

}  // namespace vomtrail
