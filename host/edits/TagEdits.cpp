#include "edits/TagEdits.h"

#include <algorithm>
#include <cctype>

#include "Genres.h"
#include "Record.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

constexpr std::size_t kTextWidth = 30;  // title, artist, album, comment
constexpr std::size_t kYearWidth = 4;
constexpr std::size_t kTrackCommentWidth = 28;  // ID3v1.1: the last two bytes hold 0 and the track
constexpr int kLastTrack = 255;                 // one byte

}  // namespace

std::size_t FieldWidth(int item, const TagInfo& info) {
  switch (item) {
    case VT_ITEM_YEAR:
      return kYearWidth;
    case VT_ITEM_COMMENT:
      return info.TagKind == VT_TAG_ID3V11 ? kTrackCommentWidth : kTextWidth;
    case VT_ITEM_TITLE:
    case VT_ITEM_ARTIST:
    case VT_ITEM_ALBUM:
      return kTextWidth;
    default:
      return kInfoTextWidth;
  }
}

namespace {

// ISFT is not written from the record: the module writes its own name
// there in every RIFF file. IID3 holds the ID3v1 block itself.
bool IsWritableInfoItem(int item) { return item != VT_ITEM_ISFT && item != VT_ITEM_IID3; }

std::optional<int> InfoItem(std::string id) {
  std::transform(id.begin(), id.end(), id.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  for (const InfoId& known : kInfoIds)
    if (known.id == id && IsWritableInfoItem(known.item)) return known.item;
  return std::nullopt;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 3 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::optional<int> SmallNumber(std::string_view text, int largest) {
  if (!AllDigits(text)) return std::nullopt;
  const int number = std::stoi(std::string(text));
  return number <= largest ? std::optional<int>(number) : std::nullopt;
}

// A number 0 to 255, or a genre name.
std::optional<int> ParseGenre(const std::string& text) {
  if (AllDigits(text)) return SmallNumber(text, vtinspect::kNoGenre);
  return vtinspect::GenreByName(text);
}

// "3" or "3/12": the track, and the total that ID3v1 has no place for.
std::optional<std::pair<int, std::optional<std::string>>> ParseTrack(const std::string& text) {
  const std::size_t slash = text.find('/');
  const auto track = SmallNumber(std::string_view(text).substr(0, slash), kLastTrack);
  if (!track) return std::nullopt;
  if (slash == std::string::npos) return std::pair{*track, std::optional<std::string>()};
  const std::string total = text.substr(slash + 1);
  if (!AllDigits(total)) return std::nullopt;
  return std::pair{*track, std::optional<std::string>(total)};
}

}  // namespace

std::string WritableInfoIds() {
  std::string list;
  for (const InfoId& known : kInfoIds)
    if (IsWritableInfoItem(known.item))
      list += (list.empty() ? "" : ", ") + std::string(known.id) + " " + std::string(known.description);
  return list;
}

std::variant<TagEdits, std::string> PrepareEdits(const EditOptions& options) {
  TagEdits edits;
  edits.encoding = options.encoding;
  if (!IsKnownEncoding(edits.encoding)) return "unknown encoding " + edits.encoding;
  if (!KeepsAsciiAsIs(edits.encoding))
    return "the encoding " + edits.encoding +
           " does not write ASCII as single bytes (as UTF-16, UTF-32 and UTF-7 do not); ID3v1 and INFO "
           "fields hold 8-bit texts: use a code page such as CP1252, CP932 or UTF-8";

  const std::pair<const std::optional<std::string>*, std::pair<int, const char*>> fields[] = {
      {&options.title, {VT_ITEM_TITLE, "title"}},       {&options.artist, {VT_ITEM_ARTIST, "artist"}},
      {&options.album, {VT_ITEM_ALBUM, "album"}},       {&options.year, {VT_ITEM_YEAR, "year"}},
      {&options.comment, {VT_ITEM_COMMENT, "comment"}},
  };
  for (const auto& [value, field] : fields)
    if (*value) edits.texts.push_back({field.first, field.second, **value});

  for (const std::string& assignment : options.info) {
    const std::size_t equals = assignment.find('=');
    const std::optional<int> item =
        equals == std::string::npos ? std::nullopt : InfoItem(assignment.substr(0, equals));
    if (!item)
      return "--info takes ID=TEXT with ID one of " + WritableInfoIds() + ", not \"" + assignment + "\"";
    edits.texts.push_back(
        {*item, std::string(kInfoIds[static_cast<std::size_t>(*item)].id), assignment.substr(equals + 1)});
    edits.touchesInfo = true;
  }

  for (const TextEdit& edit : edits.texts) {
    if (!IsValidUtf8(edit.utf8)) return "the " + edit.label + " is not UTF-8 text";
    if (!Encode(edit.utf8, edits.encoding))
      return "the " + edit.label + " has characters that " + edits.encoding + " cannot hold";
  }

  if (options.genre) {
    edits.genre = ParseGenre(*options.genre);
    if (!edits.genre) return "unknown genre \"" + *options.genre + "\" (a number 0 to 255 or a genre name)";
  }
  if (options.track) {
    const auto track = ParseTrack(*options.track);
    if (!track) return "--track takes a number 0 to 255, or N/TOTAL, not \"" + *options.track + "\"";
    edits.track = track->first;
    edits.trackTotal = track->second;
  }
  return edits;
}

bool TouchesId3v1(const TagEdits& edits) {
  return edits.track || edits.genre ||
         std::any_of(edits.texts.begin(), edits.texts.end(),
                     [](const TextEdit& e) { return e.item >= VT_ITEM_TITLE; });
}

bool IsEmpty(const TagEdits& edits) { return edits.texts.empty() && !edits.track && !edits.genre; }

std::vector<CutField> ApplyEdits(const TagEdits& edits, TagInfo& info) {
  // A file without an ID3v1 block gets "no genre" rather than genre 0, Blues.
  if (!info.HasTag && !edits.genre)
    info.Items[VT_ITEM_GENRE] = Str255{1, {static_cast<std::uint8_t>(vtinspect::kNoGenre)}};
  if (edits.genre) info.Items[VT_ITEM_GENRE] = Str255{1, {static_cast<std::uint8_t>(*edits.genre)}};

  if (edits.track) {
    info.TagKind = VT_TAG_ID3V11;
    info.Track = *edits.track;
  } else if (info.Track != kNoTrack) {
    // The block had a track byte. A file that starts with an ID3v2 tag reads
    // as TagKind 2, which would write the track away: keep the 1.1 form.
    info.TagKind = VT_TAG_ID3V11;
  } else {
    info.Track = 0;
  }

  std::vector<CutField> cut;
  bool commentEdited = false;
  for (const TextEdit& edit : edits.texts) {
    const std::size_t width = FieldWidth(edit.item, info);
    const auto fitted = EncodeFitting(edit.utf8, edits.encoding, width);  // checked by PrepareEdits
    Store(info.Items[edit.item], fitted->bytes);
    if (fitted->cut) cut.push_back({edit.label, width});
    commentEdited = commentEdited || edit.item == VT_ITEM_COMMENT;
  }
  if (!commentEdited && info.TagKind == VT_TAG_ID3V11 &&
      info.Items[VT_ITEM_COMMENT].Length > kTrackCommentWidth)
    cut.push_back({"comment", kTrackCommentWidth});
  return cut;
}

}  // namespace vthost
