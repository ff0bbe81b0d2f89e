#include "edits/InfoCarry.h"

#include <algorithm>

#include "Genres.h"
#include "Record.h"
#include "edits/FieldPairs.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

std::string IdOf(int item) { return std::string(kInfoIds[static_cast<std::size_t>(item)].id); }

// The item of an id the module writes (IID3 it writes itself).
std::optional<int> ItemOf(std::string_view id) {
  for (const InfoId& known : kInfoIds)
    if (known.id == id && known.item != VT_ITEM_IID3) return known.item;
  return std::nullopt;
}

bool EditedByInfo(const TagEdits& edits, int item) {
  return std::any_of(edits.texts.begin(), edits.texts.end(),
                     [&](const TextEdit& e) { return e.item == item; });
}

// The ids whose texts an MP3 file keeps in its ID3v1 block (ConversionCarry).
bool GoesToId3v1(int item) {
  return item == kGenreInfo || std::any_of(std::begin(kFieldPairs), std::end(kFieldPairs),
                                           [&](const FieldPair& pair) { return pair.info == item; });
}

void AddOnce(std::vector<std::string>& ids, const std::string& id) {
  if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

}  // namespace

void CarryTailInfo(const std::vector<vtinspect::InfoText>& tail, TagInfo& info) {
  for (const vtinspect::InfoText& text : tail) {
    const std::optional<int> item = ItemOf(text.id);
    if (item && *item != VT_ITEM_ISFT) Store(info.Items[*item], text.bytes);
  }
}

void CarryHeadInfo(const std::vector<vtinspect::InfoText>& head, TagInfo& info) {
  for (const vtinspect::InfoText& text : head) {
    const std::optional<int> item = ItemOf(text.id);
    // ISFT names the program that wrote the file; the module writes its own.
    if (item && *item != VT_ITEM_ISFT && info.Items[*item].Length == 0) Store(info.Items[*item], text.bytes);
  }
}

void MirrorId3v1Edits(const TagEdits& edits, TagInfo& info) {
  for (const TextEdit& edit : edits.texts) {
    for (const FieldPair& pair : kFieldPairs) {
      if (edit.item != pair.id3v1 || EditedByInfo(edits, pair.info)) continue;
      const auto fitted =
          EncodeFitting(edit.utf8, edits.encoding, kInfoTextWidth);  // checked by PrepareEdits
      Store(info.Items[pair.info], fitted->bytes);
    }
  }
  if (edits.genre && !EditedByInfo(edits, kGenreInfo)) {
    const auto name = vtinspect::GenreName(*edits.genre);
    Store(info.Items[kGenreInfo], name ? *name : std::string_view{});
  }
}

std::vector<std::string> CutInfoTexts(TagInfo& info) {
  std::vector<std::string> cut;
  for (int item = 0; item < VT_ITEM_IID3; ++item) {
    if (item == VT_ITEM_ISFT || info.Items[item].Length <= kInfoTextWidth) continue;
    info.Items[item].Length = static_cast<std::uint8_t>(kInfoTextWidth);
    cut.push_back(IdOf(item));
  }
  return cut;
}

std::vector<std::string> DroppedInfoIds(const TagInfo& info, const std::vector<vtinspect::InfoText>& head,
                                        int mode) {
  std::vector<std::string> ids;
  if (mode == VT_MODE_MP3)
    for (int item = 0; item < VT_ITEM_IID3; ++item)
      if (info.Items[item].Length != 0 && !GoesToId3v1(item)) AddOnce(ids, IdOf(item));
  if (mode == VT_MODE_MP3 || mode == VT_MODE_RMP3)
    for (const vtinspect::InfoText& text : head) {
      const std::optional<int> item = ItemOf(text.id);
      if (text.bytes.empty() || (mode == VT_MODE_MP3 && item && GoesToId3v1(*item))) continue;
      if (mode == VT_MODE_MP3 || !item || *item == VT_ITEM_ISFT) AddOnce(ids, text.id);
    }
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace vthost
