#include "ExpectedTexts.h"

#include <algorithm>

namespace vomtrail::fuzzing {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string UpToZero(const std::string& s) { return s.substr(0, s.find('\0')); }

std::string TrimEnd(std::string s) {
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
  return s;
}

}  // namespace

std::string TextOf(const Str255& item) {
  return std::string(reinterpret_cast<const char*>(item.Text), item.Length);
}

std::string Id3v1Field(const Str255& item, std::size_t width) {
  std::string area = TextOf(item).substr(0, 30);
  area.resize(30, ' ');
  return area.substr(0, width);
}

std::string Id3v1Block(const TagInfo& info) {
  std::string block = "TAG";
  block += Id3v1Field(info.Items[VT_ITEM_TITLE], 30);
  block += Id3v1Field(info.Items[VT_ITEM_ARTIST], 30);
  block += Id3v1Field(info.Items[VT_ITEM_ALBUM], 30);
  block += Id3v1Field(info.Items[VT_ITEM_YEAR], 4);
  if (info.TagKind == VT_TAG_ID3V11) {
    block += Id3v1Field(info.Items[VT_ITEM_COMMENT], 28);
    block += '\0';
    block += static_cast<char>(info.Track & 0xFF);
  } else {
    block += Id3v1Field(info.Items[VT_ITEM_COMMENT], 30);
  }
  block += static_cast<char>(info.Items[VT_ITEM_GENRE].Text[0]);
  return block;
}

std::string ReadBackTrimmed(const std::string& field) { return TrimEnd(UpToZero(field)); }

std::string ReadBackUntrimmed(const std::string& field) { return UpToZero(field); }

std::string InfoText(const Str255& item) {
  std::string text = TextOf(item);
  const auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
  text.erase(text.begin(), first);
  return TrimEnd(UpToZero(TrimEnd(text)));
}

std::uint32_t LittleEndian32(const std::uint8_t* b) {
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

}  // namespace vomtrail::fuzzing
