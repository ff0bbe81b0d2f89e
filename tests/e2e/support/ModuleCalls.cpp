#include "ModuleCalls.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vomtrail::e2e {

namespace {

Str255 CountedName(const std::string& path) {
  if (path.size() > 255) throw std::length_error("path longer than a counted text: " + path);
  Str255 name{};
  name.Length = static_cast<std::uint8_t>(path.size());
  std::memcpy(name.Text, path.data(), path.size());
  return name;
}

}  // namespace

TagInfo ReadTagInfo(const std::string& path) { return ReadTagInfoInto(path, TagInfo{}); }

TagInfo ReadTagInfoInto(const std::string& path, TagInfo info) {
  const Str255 name = CountedName(path);
  GetInfo(&name, &info);
  return info;
}

std::int32_t WriteTagInfo(const std::string& path, TagInfo& info, std::int32_t mode) {
  const Str255 name = CountedName(path);
  return SetInfo(&name, &info, mode);
}

void SetText(TagInfo& info, int item, std::string_view text) {
  Str255& target = info.Items[item];
  const std::size_t length = std::min<std::size_t>(text.size(), sizeof target.Text);
  target.Length = static_cast<std::uint8_t>(length);
  std::memcpy(target.Text, text.data(), length);
}

std::string Text(const TagInfo& info, int item) {
  const Str255& text = info.Items[item];
  return std::string(reinterpret_cast<const char*>(text.Text), text.Length);
}

void SetGenre(TagInfo& info, std::uint8_t genre) {
  info.Items[VT_ITEM_GENRE].Length = 1;
  info.Items[VT_ITEM_GENRE].Text[0] = genre;
}

int Genre(const TagInfo& info) { return info.Items[VT_ITEM_GENRE].Text[0]; }

std::string SpaceFilled(std::string_view text, std::size_t width) {
  std::string field(text.substr(0, std::min(text.size(), width)));
  field.resize(width, ' ');
  return field;
}

}  // namespace vomtrail::e2e
