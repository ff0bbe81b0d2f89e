#include "edits/ConversionCarry.h"

#include <algorithm>

#include "Blanks.h"
#include "Genres.h"
#include "Record.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

struct FieldPair {
  int id3v1;
  int info;
  const char* label;  // the ID3v1 field's name
};

constexpr FieldPair kPairs[] = {{VT_ITEM_TITLE, InfoItemOf("INAM"), "title"},
                                {VT_ITEM_ARTIST, InfoItemOf("IART"), "artist"},
                                {VT_ITEM_ALBUM, InfoItemOf("IPRD"), "album"},
                                {VT_ITEM_YEAR, InfoItemOf("ICRD"), "year"},
                                {VT_ITEM_COMMENT, InfoItemOf("ICMT"), "comment"}};
constexpr int kGenreInfo = InfoItemOf("IGNR");

std::string_view IdOf(int item) { return kInfoIds[static_cast<std::size_t>(item)].id; }

bool IsRiff(int mode) { return mode != VT_MODE_MP3; }

// Whether the edit decides the item: set directly, or (for RIFF output)
// mirrored from the ID3v1 field it sets.
bool EditSets(const TagEdits& edits, int item) {
  const bool text = std::any_of(edits.texts.begin(), edits.texts.end(), [&](const TextEdit& e) {
    if (e.item == item) return true;
    return std::any_of(std::begin(kPairs), std::end(kPairs),
                       [&](const FieldPair& p) { return p.id3v1 == e.item && p.info == item; });
  });
  return text || (edits.genre && (item == VT_ITEM_GENRE || item == kGenreInfo));
}

bool IsEmpty(const TagInfo& info, int item) {
  if (item == VT_ITEM_GENRE) return GenreNumber(info) == vtinspect::kNoGenre;
  return vtinspect::WithoutTrailingBlanks(TextOf(info.Items[item])).empty();
}

std::string LabelOf(int item) {
  for (const FieldPair& pair : kPairs)
    if (pair.id3v1 == item) return pair.label;
  return "genre";
}

std::string FieldName(int item) {
  return item >= VT_ITEM_TITLE ? "the ID3v1 " + LabelOf(item) : "the INFO " + std::string(IdOf(item));
}

// Puts `bytes` into an empty item the edit leaves alone, cut to its field.
void Fill(TagInfo& info, int item, std::string_view bytes, const std::string& from, const TagEdits& edits,
          std::vector<std::string>& warnings) {
  if (bytes.empty() || EditSets(edits, item) || !IsEmpty(info, item)) return;
  const std::size_t width = FieldWidth(item, info);
  const std::string fitted = CutToField(bytes, width, edits.encoding);
  Store(info.Items[item], fitted);
  if (fitted.size() < bytes.size())
    warnings.push_back(FieldName(item) + " (from " + from + ") is cut to " + std::to_string(width) +
                       " bytes");
}

void FillGenre(TagInfo& info, int number, const TagEdits& edits) {
  if (!EditSets(edits, VT_ITEM_GENRE) && IsEmpty(info, VT_ITEM_GENRE))
    info.Items[VT_ITEM_GENRE] = Str255{1, {static_cast<std::uint8_t>(number)}};
}

std::string Joined(const vtinspect::TextList& values) {
  std::string text;
  for (const std::string& value : values) text += (text.empty() ? "" : " / ") + value;
  return text;
}

}  // namespace

std::string CutToField(std::string_view bytes, std::size_t width, const std::string& encoding) {
  if (bytes.size() <= width) return std::string(bytes);
  if (IsValidUtf8(bytes)) {
    std::size_t end = 0;
    while (end < bytes.size()) {
      const std::size_t length = Utf8SequenceLength(bytes, end);
      if (end + length > width) break;
      end += length;
    }
    return std::string(bytes.substr(0, end));
  }
  if (const auto fitted = EncodeFitting(ToDisplay(bytes, encoding), encoding, width)) return fitted->bytes;
  return std::string(bytes.substr(0, width));
}

std::vector<std::string> CarryAcrossForms(int kind, int mode, const TagEdits& edits, TagInfo& info) {
  std::vector<std::string> warnings;
  if (kind == VT_KIND_MPEG && IsRiff(mode)) {
    for (const FieldPair& pair : kPairs)
      Fill(info, pair.info, vtinspect::WithoutTrailingBlanks(TextOf(info.Items[pair.id3v1])),
           "the ID3v1 " + std::string(pair.label), edits, warnings);
    if (const auto name = vtinspect::GenreName(GenreNumber(info)))
      Fill(info, kGenreInfo, *name, "the ID3v1 genre", edits, warnings);
  } else if (kind != VT_KIND_MPEG && !IsRiff(mode)) {
    for (const FieldPair& pair : kPairs)
      Fill(info, pair.id3v1, TextOf(info.Items[pair.info]), std::string(IdOf(pair.info)), edits, warnings);
    if (const auto number = vtinspect::GenreByName(TextOf(info.Items[kGenreInfo])))
      FillGenre(info, *number, edits);
  }
  return warnings;
}

std::vector<std::string> CarryId3v2Texts(const vtinspect::Id3v2Tag& tag, int mode, const TagEdits& edits,
                                         TagInfo& info) {
  std::vector<std::string> warnings;
  std::string comment;
  if (!tag.comments.empty()) comment = Joined(tag.comments.front().text);
  const std::pair<std::string, int> texts[] = {{Joined(tag.title), VT_ITEM_TITLE},
                                               {Joined(tag.artist), VT_ITEM_ARTIST},
                                               {Joined(tag.album), VT_ITEM_ALBUM},
                                               {tag.date, VT_ITEM_YEAR},
                                               {comment, VT_ITEM_COMMENT}};
  for (const auto& [utf8, id3v1] : texts) {
    if (utf8.empty()) continue;
    const auto bytes = Encode(utf8, edits.encoding);
    const std::string from = "the ID3v2 " + LabelOf(id3v1);
    if (!bytes) {
      warnings.push_back(from + " has characters that " + edits.encoding + " cannot hold; it is left out");
      continue;
    }
    Fill(info, id3v1, *bytes, from, edits, warnings);
    if (IsRiff(mode))
      for (const FieldPair& pair : kPairs)
        if (pair.id3v1 == id3v1) Fill(info, pair.info, *bytes, from, edits, warnings);
  }
  for (const vtinspect::GenreEntry& entry : tag.genres) {
    const std::string label = vtinspect::GenreLabel(entry, vtinspect::GenreName);
    const auto number = entry.number ? entry.number : vtinspect::GenreByName(label);
    if (number && *number >= 0 && *number < vtinspect::kNoGenre) FillGenre(info, *number, edits);
    if (const auto bytes = Encode(label, edits.encoding); bytes && IsRiff(mode))
      Fill(info, kGenreInfo, *bytes, "the ID3v2 genre", edits, warnings);
    break;  // the first genre is the one a single field can hold
  }
  if (tag.track.number && *tag.track.number >= 0 && *tag.track.number <= 255 && !edits.track &&
      info.TagKind != VT_TAG_ID3V11) {
    info.TagKind = VT_TAG_ID3V11;
    info.Track = *tag.track.number;
    const std::string_view kept = TextOf(info.Items[VT_ITEM_COMMENT]);
    const std::size_t width = FieldWidth(VT_ITEM_COMMENT, info);
    if (kept.size() > width) {
      Store(info.Items[VT_ITEM_COMMENT], CutToField(kept, width, edits.encoding));
      warnings.push_back("the ID3v1 comment is cut to " + std::to_string(width) +
                         " bytes (the ID3v2 track takes the rest)");
    }
  }
  return warnings;
}

}  // namespace vthost
