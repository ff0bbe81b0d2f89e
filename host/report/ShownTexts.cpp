#include "report/ShownTexts.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "Genres.h"
#include "Record.h"
#include "system/TextCodec.h"
#include "tags/Id3v2Frames.h"

namespace vthost {
namespace {

using vtinspect::Position;

struct Shown {
  std::string text;
  const char* source = "";
  std::optional<int> number, total;  // a track or disc
};
using Found = std::optional<Shown>;

// Several values of one text, as ID3v2.4 and APEv2 keep them.
std::string Joined(const std::vector<std::string>& values) {
  std::string out;
  for (const std::string& value : values) {
    if (value.empty()) continue;
    out += (out.empty() ? "" : " / ") + value;
  }
  return out;
}

Found IfAny(std::string text, const char* source) {
  if (text.empty()) return std::nullopt;
  return Shown{std::move(text), source, std::nullopt, std::nullopt};
}

Found FromPosition(const Position& position, const char* source) {
  if (position.text.empty()) return std::nullopt;
  return Shown{position.text, source, position.number, position.total};
}

std::optional<std::string_view> GenreNamer(int number) { return vtinspect::GenreName(number); }

// The fields players show, in the order they are shown.
enum class Text { Title, Artist, Album, AlbumArtist, Date, Track, Disc, Genre, Comment };
struct TextName {
  Text text;
  const char* key;    // JSON
  const char* label;  // text form
  const char* ape;    // the APEv2 item key
  const char* info;   // the RIFF INFO id, or empty
};
constexpr TextName kTexts[] = {
    {Text::Title, "title", "title", "Title", "INAM"},
    {Text::Artist, "artist", "artist", "Artist", "IART"},
    {Text::Album, "album", "album", "Album", "IPRD"},
    {Text::AlbumArtist, "album_artist", "album artist", "Album Artist", ""},
    {Text::Date, "date", "date", "Year", "ICRD"},
    {Text::Track, "track", "track", "Track", "IPRT"},
    {Text::Disc, "disc", "disc", "Disc", ""},
    {Text::Genre, "genre", "genre", "Genre", "IGNR"},
    {Text::Comment, "comment", "comment", "Comment", "ICMT"},
};

Found FromId3v2(const vtinspect::Id3v2Tag& tag, Text text) {
  constexpr const char* kSource = "id3v2";
  switch (text) {
    case Text::Title:
      return IfAny(Joined(tag.title), kSource);
    case Text::Artist:
      return IfAny(Joined(tag.artist), kSource);
    case Text::Album:
      return IfAny(Joined(tag.album), kSource);
    case Text::AlbumArtist:
      return IfAny(Joined(tag.album_artist), kSource);
    case Text::Date:
      return IfAny(tag.date, kSource);
    case Text::Track:
      return FromPosition(tag.track, kSource);
    case Text::Disc:
      return FromPosition(tag.disc, kSource);
    case Text::Genre: {
      std::vector<std::string> labels;
      for (const vtinspect::GenreEntry& entry : tag.genres) labels.push_back(GenreLabel(entry, GenreNamer));
      return IfAny(Joined(labels), kSource);
    }
    default:
      // The comment players show is the one without a description; those
      // with one carry data (iTunes' normalisation, a tool's note).
      for (const vtinspect::Comment& comment : tag.comments)
        if (comment.description.empty()) return IfAny(Joined(comment.text), kSource);
      return std::nullopt;
  }
}

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

Found FromApe(const vtinspect::ApeTag& tag, const TextName& name) {
  constexpr const char* kSource = "apev2";
  for (const vtinspect::ApeItem& item : tag.items) {
    if (item.kind != vtinspect::ApeItemKind::kText || item.damaged || !SameKey(item.key, name.ape)) continue;
    // APEv2 separates several values with zero bytes.
    std::vector<std::string> values;
    std::size_t at = 0;
    for (std::size_t zero; (zero = item.text.find('\0', at)) != std::string::npos; at = zero + 1)
      values.push_back(item.text.substr(at, zero - at));
    values.push_back(item.text.substr(at));
    if (name.text == Text::Track || name.text == Text::Disc)
      return FromPosition(vtinspect::ParsePosition(Joined(values)), kSource);
    return IfAny(Joined(values), kSource);
  }
  return std::nullopt;
}

Found FromId3v1(const vtinspect::Id3v1Block& block, Text text, const std::string& encoding) {
  constexpr const char* kSource = "id3v1";
  const auto shown = [&](const std::string& bytes) { return IfAny(ToDisplay(bytes, encoding), kSource); };
  switch (text) {
    case Text::Title:
      return shown(block.title);
    case Text::Artist:
      return shown(block.artist);
    case Text::Album:
      return shown(block.album);
    case Text::Date:
      return shown(block.year);
    case Text::Comment:
      return shown(block.comment);
    case Text::Track:
      if (!block.track) return std::nullopt;
      return Shown{std::to_string(*block.track), kSource, block.track, std::nullopt};
    case Text::Genre: {
      if (!block.genre) return std::nullopt;
      const auto name = vtinspect::GenreName(*block.genre);
      return Shown{name ? std::string(*name) : std::to_string(*block.genre), kSource, std::nullopt,
                   std::nullopt};
    }
    default:
      return std::nullopt;
  }
}

// The INFO texts behind the audio (the record's) before those of a list in
// front of "data": a later list's text is the one players keep.
Found FromInfo(const FileView& file, const TextName& name, const std::string& encoding) {
  const std::string_view id = name.info;
  if (id.empty()) return std::nullopt;
  std::string bytes;
  if (file.recordRead)
    for (const InfoId& known : kInfoIds)
      if (known.id == id) bytes = TextOf(file.info.Items[known.item]);
  if (bytes.empty() && file.probe.riff)
    for (const vtinspect::InfoText& head : file.probe.riff->headInfo)
      if (head.id == id && !head.bytes.empty()) {
        bytes = head.bytes;
        break;
      }
  if (bytes.empty()) return std::nullopt;
  const std::string text = ToDisplay(bytes, encoding);
  if (name.text == Text::Track) return FromPosition(vtinspect::ParsePosition(text), "info");
  return IfAny(text, "info");
}

Found Find(const FileView& file, const TextName& name, const std::optional<vtinspect::Id3v1Block>& id3v1,
           const std::string& encoding) {
  for (const vtinspect::Id3v2Tag& tag : file.inspection.id3v2)
    if (Found found = FromId3v2(tag, name.text)) return found;
  if (file.inspection.ape)
    if (Found found = FromApe(*file.inspection.ape, name)) return found;
  if (id3v1)
    if (Found found = FromId3v1(*id3v1, name.text, encoding)) return found;
  return FromInfo(file, name, encoding);
}

// The sources as the text form names them.
std::string SourceLabel(std::string_view source) {
  if (source == "id3v2") return "ID3v2";
  if (source == "apev2") return "APEv2";
  if (source == "id3v1") return "ID3v1";
  return "INFO";
}

Scalar Number(const std::optional<int>& value) { return value ? Scalar(std::int64_t{*value}) : nullptr; }

}  // namespace

std::vector<Field> ShownTextFields(const FileView& file, const std::string& encoding) {
  const auto id3v1 = Id3v1Of(file);
  std::vector<Field> fields;
  for (const TextName& name : kTexts) {
    const Found found = Find(file, name, id3v1, encoding);
    const std::string key = name.key;
    std::vector<Field> members;
    const bool position = name.text == Text::Track || name.text == Text::Disc;
    if (position) {
      members.push_back(JsonOnly(key, found ? Number(found->number) : nullptr));
      members.push_back(JsonOnly(key + "_total", found ? Number(found->total) : nullptr));
    } else {
      members.push_back(JsonOnly(key, found ? Scalar(found->text) : nullptr));
    }
    members.push_back(JsonOnly(key + "_source", found ? Scalar(std::string(found->source)) : nullptr));
    const std::string line = found ? found->text + "  (" + SourceLabel(found->source) + ")" : "";
    fields.push_back(Composite(Field::Shape::Group, "", found ? name.label : "", line, std::move(members)));
  }
  return fields;
}

}  // namespace vthost
