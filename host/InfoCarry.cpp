#include "InfoCarry.h"

#include <algorithm>

#include "Genres.h"
#include "Record.h"
#include "TextCodec.h"

namespace vthost {
namespace {

std::optional<int> ItemOf(std::string_view id) {
  for (int item = 0; item < VT_ITEM_IID3; ++item)
    if (kInfoIds[static_cast<std::size_t>(item)] == id) return item;
  return std::nullopt;
}

bool EditedByInfo(const TagEdits& edits, int item) {
  return std::any_of(edits.texts.begin(), edits.texts.end(),
                     [&](const TextEdit& e) { return e.item == item; });
}

void AddOnce(std::vector<std::string>& ids, const std::string& id) {
  if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

}  // namespace

void CarryHeadInfo(const std::vector<InfoText>& head, TagInfo& info) {
  for (const InfoText& text : head) {
    const std::optional<int> item = ItemOf(text.id);
    // ISFT names the program that wrote the file; the module writes its own.
    if (item && *item != VT_ITEM_ISFT && info.Items[*item].Length == 0) Store(info.Items[*item], text.bytes);
  }
}

void MirrorId3v1Edits(const TagEdits& edits, TagInfo& info) {
  const std::pair<int, int> mirrors[] = {
      {VT_ITEM_TITLE, 0}, {VT_ITEM_ARTIST, 1}, {VT_ITEM_ALBUM, 2}, {VT_ITEM_COMMENT, 3}, {VT_ITEM_YEAR, 7}};
  for (const TextEdit& edit : edits.texts) {
    for (const auto& [id3v1, infoItem] : mirrors) {
      if (edit.item != id3v1 || EditedByInfo(edits, infoItem)) continue;
      const auto fitted =
          EncodeFitting(edit.utf8, edits.encoding, kInfoTextWidth);  // checked by PrepareEdits
      Store(info.Items[infoItem], fitted->bytes);
    }
  }
  constexpr int kGenreItem = 4;  // IGNR
  if (edits.genre && !EditedByInfo(edits, kGenreItem)) {
    const auto name = GenreName(*edits.genre);
    Store(info.Items[kGenreItem], name ? *name : std::string_view{});
  }
}

std::vector<std::string> CutInfoTexts(TagInfo& info) {
  std::vector<std::string> cut;
  for (int item = 0; item < VT_ITEM_IID3; ++item) {
    if (item == VT_ITEM_ISFT || info.Items[item].Length <= kInfoTextWidth) continue;
    info.Items[item].Length = static_cast<std::uint8_t>(kInfoTextWidth);
    cut.emplace_back(kInfoIds[static_cast<std::size_t>(item)]);
  }
  return cut;
}

std::vector<std::string> DroppedInfoIds(const TagInfo& info, const std::vector<InfoText>& head, int mode) {
  std::vector<std::string> ids;
  if (mode == 0)
    for (int item = 0; item < VT_ITEM_IID3; ++item)
      if (info.Items[item].Length != 0) AddOnce(ids, std::string(kInfoIds[static_cast<std::size_t>(item)]));
  if (mode == 0 || mode == 1)
    for (const InfoText& text : head) {
      const std::optional<int> item = ItemOf(text.id);
      if (text.bytes.empty()) continue;
      if (mode == 0 || !item || *item == VT_ITEM_ISFT) AddOnce(ids, text.id);
    }
  return ids;
}

}  // namespace vthost
