#include "report/TagFields.h"

#include <cstdio>
#include <string>

#include "Genres.h"
#include "report/FileWords.h"

namespace vthost {
namespace {

using vtinspect::Id3v2Tag;
using Shape = Field::Shape;

constexpr const char* kIndent = "  ";  // a tag's lines stand under its own

std::int64_t Signed(std::uint64_t value) { return static_cast<std::int64_t>(value); }

Field ListOfTexts(const std::string& key, const std::vector<std::string>& values) {
  std::vector<Field> members;
  for (const std::string& value : values) members.push_back(JsonOnly("", value));
  return Composite(Shape::List, key, "", "", std::move(members));
}

std::string Joined(const std::vector<std::string>& values) {
  std::string out;
  for (const std::string& value : values) out += (out.empty() ? "" : " / ") + value;
  return out;
}

// A text of the tag: a JSON list of its values, a line when it has any.
Field TextField(const std::string& key, const std::string& label, const std::vector<std::string>& values) {
  Field field = ListOfTexts(key, values);
  if (!values.empty()) {
    field.label = kIndent + label;
    field.text = Joined(values);
  }
  return field;
}

Field OptionalText(const std::string& key, const std::string& label, const std::string& text) {
  return Both(key, text.empty() ? Scalar(nullptr) : Scalar(text), text.empty() ? "" : kIndent + label, text);
}

std::string TagHeadline(const Id3v2Tag& tag) {
  const std::string version =
      "2." + std::to_string(tag.header.major) + "." + std::to_string(tag.header.revision);
  std::string line = "version " + version + ", " + std::to_string(tag.total_size) + " bytes";
  if (tag.status == vtinspect::Id3v2Status::kUnknownVersion)
    return line + "; a version vomtrail does not read";
  const std::size_t unread = tag.unread.size() + tag.unlisted;
  line += ": " + std::to_string(tag.frame_count) + (tag.frame_count == 1 ? " frame" : " frames") +
          (unread != 0 ? " (" + std::to_string(unread) + " not shown)" : "") + ", " +
          std::to_string(tag.padding) + " bytes of padding";
  if (tag.header.Unsynchronised()) line += ", unsynchronised";
  if (tag.plain_frame_sizes) line += ", frame sizes written the 2.3 way";
  if (tag.truncated) line += "; the file ends inside the tag";
  return line;
}

std::vector<Field> Genre(const Id3v2Tag& tag) {
  std::vector<std::string> labels;
  for (const vtinspect::GenreEntry& entry : tag.genres)
    labels.push_back(GenreLabel(entry, [](int number) { return vtinspect::GenreName(number); }));
  Field named = TextField("genre", "genre", labels);
  if (!tag.genre_text.empty() && tag.genre_text != labels)
    named.text += "  (as written: " + Joined(tag.genre_text) + ")";
  return {named, ListOfTexts("genre_raw", tag.genre_text)};
}

Field Comments(const Id3v2Tag& tag) {
  std::vector<Field> members;
  for (const vtinspect::Comment& comment : tag.comments) {
    const std::string text = Joined(comment.text);
    const std::string line = "[" + comment.language + "] " +
                             (comment.description.empty() ? "" : comment.description + ": ") + text;
    members.push_back(
        Composite(Shape::Group, "", kIndent + std::string("comment"), line,
                  {JsonOnly("language", comment.language), JsonOnly("description", comment.description),
                   ListOfTexts("text", comment.text)}));
  }
  return Composite(Shape::List, "comments", "", "", std::move(members));
}

Field UserTexts(const Id3v2Tag& tag) {
  std::vector<Field> members;
  for (const vtinspect::UserText& text : tag.user_texts)
    members.push_back(Composite(
        Shape::Group, "", kIndent + std::string("user text"), text.description + ": " + Joined(text.values),
        {JsonOnly("description", text.description), ListOfTexts("values", text.values)}));
  return Composite(Shape::List, "user_texts", "", "", std::move(members));
}

Field Pictures(const Id3v2Tag& tag) {
  std::vector<Field> members;
  for (const vtinspect::Picture& picture : tag.pictures) {
    std::string line = PictureTypeName(picture.type) + ", " + picture.mime + ", " +
                       std::to_string(picture.data_size) + " bytes";
    if (picture.size)
      line += ", " + std::to_string(picture.size->width) + "x" + std::to_string(picture.size->height);
    if (!picture.description.empty()) line += ", \"" + picture.description + "\"";
    const auto dimension = [&](std::uint32_t value) {
      return picture.size ? Scalar(std::int64_t{value}) : Scalar(nullptr);
    };
    members.push_back(
        Composite(Shape::Group, "", kIndent + std::string("picture"), line,
                  {JsonOnly("type", std::int64_t{picture.type}),
                   JsonOnly("type_name", PictureTypeName(picture.type)), JsonOnly("mime", picture.mime),
                   JsonOnly("description", picture.description), JsonOnly("size", Signed(picture.data_size)),
                   JsonOnly("width", dimension(picture.size ? picture.size->width : 0)),
                   JsonOnly("height", dimension(picture.size ? picture.size->height : 0))}));
  }
  return Composite(Shape::List, "pictures", "", "", std::move(members));
}

// Frames the reader leaves unread (kinds it does not show), and those it
// cannot read: compressed, encrypted, damaged.
Field Unread(const Id3v2Tag& tag) {
  std::vector<Field> members;
  for (const vtinspect::FrameNote& note : tag.unread) {
    const std::string id = note.id.empty() ? "(no frame)" : note.id;
    std::string line = id + (note.meaning.empty() ? "" : " (" + note.meaning + ")") + ", " +
                       std::to_string(note.size) + " bytes";
    if (!note.detail.empty()) line += ": " + note.detail;
    members.push_back(Composite(
        Shape::Group, "", kIndent + std::string(FrameIssueName(note.issue)), line,
        {JsonOnly("id", note.id),
         JsonOnly("meaning", note.meaning.empty() ? Scalar(nullptr) : Scalar(note.meaning)),
         JsonOnly("size", Signed(note.size)), JsonOnly("reason", std::string(FrameIssueName(note.issue))),
         JsonOnly("detail", note.detail.empty() ? Scalar(nullptr) : Scalar(note.detail))}));
  }
  return Composite(Shape::List, "unread", "", "", std::move(members));
}

Field TagSection(const Id3v2Tag& tag) {
  const std::string version =
      "2." + std::to_string(tag.header.major) + "." + std::to_string(tag.header.revision);
  std::vector<Field> members = {JsonOnly("version", version),
                                JsonOnly("size", Signed(tag.total_size)),
                                JsonOnly("read", tag.status == vtinspect::Id3v2Status::kRead),
                                JsonOnly("frames", Signed(tag.frame_count)),
                                JsonOnly("padding", Signed(tag.padding)),
                                JsonOnly("unsynchronised", tag.header.Unsynchronised()),
                                JsonOnly("plain_frame_sizes", tag.plain_frame_sizes),
                                JsonOnly("truncated", tag.truncated),
                                TextField("title", "title", tag.title),
                                TextField("artist", "artist", tag.artist),
                                TextField("album", "album", tag.album),
                                TextField("album_artist", "album artist", tag.album_artist),
                                OptionalText("date", "date", tag.date),
                                OptionalText("track", "track", tag.track.text),
                                OptionalText("disc", "disc", tag.disc.text)};
  for (Field& field : Genre(tag)) members.push_back(std::move(field));
  members.push_back(Comments(tag));
  members.push_back(UserTexts(tag));
  members.push_back(Pictures(tag));
  members.push_back(Unread(tag));
  const std::string more = std::to_string(tag.unlisted) + " more frames not listed";
  members.push_back(
      Both("unread_more", Signed(tag.unlisted), tag.unlisted != 0 ? kIndent + std::string("and") : "", more));
  return Composite(Shape::Group, "", "ID3v2", TagHeadline(tag), std::move(members));
}

const char* ApeKindName(vtinspect::ApeItemKind kind) {
  switch (kind) {
    case vtinspect::ApeItemKind::kText:
      return "text";
    case vtinspect::ApeItemKind::kBinary:
      return "binary";
    case vtinspect::ApeItemKind::kLocator:
      return "locator";
    default:
      return "reserved";
  }
}

Field ApeFields(const vtinspect::ApeTag& tag) {
  std::vector<Field> items;
  for (const vtinspect::ApeItem& item : tag.items) {
    const bool text =
        item.kind == vtinspect::ApeItemKind::kText || item.kind == vtinspect::ApeItemKind::kLocator;
    std::string line = text && !item.damaged ? item.text
                                             : std::string(ApeKindName(item.kind)) + ", " +
                                                   std::to_string(item.size) + " bytes";
    if (item.damaged) line += ", not UTF-8";
    items.push_back(
        Composite(Shape::Group, "", kIndent + item.key, line,
                  {JsonOnly("key", item.key), JsonOnly("kind", std::string(ApeKindName(item.kind))),
                   JsonOnly("text", text && !item.damaged ? Scalar(item.text) : Scalar(nullptr)),
                   JsonOnly("size", Signed(item.size)), JsonOnly("read_only", item.read_only)}));
  }
  char version[16];
  std::snprintf(version, sizeof version, "%u.%03u", tag.version / 1000, tag.version % 1000);
  std::string line = std::string("version ") + version + ", " + std::to_string(tag.size) + " bytes at byte " +
                     std::to_string(tag.begin) + ", " + std::to_string(tag.items.size()) +
                     (tag.items.size() == 1 ? " item" : " items");
  if (!tag.damage.empty()) line += "; " + tag.damage;
  return Composite(Shape::Object, "apev2", "APEv2", line,
                   {JsonOnly("version", std::int64_t{tag.version}), JsonOnly("offset", Signed(tag.begin)),
                    JsonOnly("size", Signed(tag.size)), JsonOnly("has_header", tag.has_header),
                    JsonOnly("read_only", tag.read_only),
                    JsonOnly("damage", tag.damage.empty() ? Scalar(nullptr) : Scalar(tag.damage)),
                    Composite(Shape::List, "items", "", "", std::move(items))});
}

}  // namespace

std::vector<Field> Id3v2Fields(const FileView& file) {
  const auto& first = file.probe.id3v2;
  std::vector<Field> fields = {JsonOnly("id3v2", first.has_value())};
  if (!first) {
    fields.push_back(JsonOnly("id3v2_tag", nullptr));
  } else {
    const std::string version = Id3v2Version(*first);
    fields.push_back(Composite(Shape::Object, "id3v2_tag", "", "",
                               {JsonOnly("version", version), JsonOnly("size", Signed(first->size))}));
  }
  std::vector<Field> tags;
  for (const Id3v2Tag& tag : file.inspection.id3v2) tags.push_back(TagSection(tag));
  fields.push_back(Composite(Shape::List, "id3v2_tags", "", "", std::move(tags)));
  return fields;
}

std::vector<Field> TrailerFields(const FileView& file) {
  std::vector<Field> fields;
  fields.push_back(file.inspection.ape ? ApeFields(*file.inspection.ape) : JsonOnly("apev2", nullptr));
  std::vector<Field> lyrics;
  if (file.probe.trailer)
    for (const vtinspect::TrailerBlock& block : file.probe.trailer->blocks) {
      if (block.kind != vtinspect::TrailerKind::kLyrics3v1 &&
          block.kind != vtinspect::TrailerKind::kLyrics3v2)
        continue;
      const std::string version = block.kind == vtinspect::TrailerKind::kLyrics3v1 ? "1" : "2.00";
      lyrics.push_back(Composite(Shape::Group, "", "Lyrics3",
                                 "version " + version + ", " + std::to_string(block.size) +
                                     " bytes at byte " + std::to_string(block.begin) +
                                     "; its lyrics are not shown",
                                 {JsonOnly("version", version), JsonOnly("offset", Signed(block.begin)),
                                  JsonOnly("size", Signed(block.size))}));
    }
  fields.push_back(Composite(Shape::List, "lyrics3", "", "", std::move(lyrics)));
  return fields;
}

}  // namespace vthost
