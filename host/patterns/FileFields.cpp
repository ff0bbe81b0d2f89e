#include "patterns/FileFields.h"

#include "Blanks.h"
#include "Genres.h"
#include "Record.h"
#include "system/FileNames.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

// The ID3v1 field and the INFO id that mean the same.
struct TagField {
  const char* name;
  int id3v1Item;  // -1: not an ID3v1 text
  const char* infoId;
};

constexpr TagField kTagFields[] = {
    {"title", VT_ITEM_TITLE, "INAM"}, {"artist", VT_ITEM_ARTIST, "IART"},   {"album", VT_ITEM_ALBUM, "IPRD"},
    {"year", VT_ITEM_YEAR, "ICRD"},   {"comment", VT_ITEM_COMMENT, "ICMT"}, {"genre", -1, "IGNR"},
};

std::string Shown(std::string_view bytes, const std::string& encoding) {
  return ToDisplay(vtinspect::WithoutTrailingBlanks(bytes), encoding);
}

}  // namespace

FieldValues TagFields(const TagInfo& info, bool recordRead, const vtinspect::FileProbe& probe,
                      const std::string& encoding) {
  FieldValues values;
  // INFO texts: those the module read behind the audio, then the list before
  // it for ids the module did not give.
  if (recordRead)
    for (const InfoId& known : kInfoIds)
      if (known.item != VT_ITEM_IID3 && info.Items[known.item].Length != 0)
        if (std::string text = Shown(TextOf(info.Items[known.item]), encoding); !text.empty())
          values.emplace(known.id, std::move(text));
  if (probe.riff)
    for (const vtinspect::InfoText& head : probe.riff->headInfo)
      if (std::string text = Shown(head.bytes, encoding); !text.empty())
        values.emplace(head.id, std::move(text));

  const bool id3v1 = recordRead && info.HasTag;
  for (const TagField& field : kTagFields) {
    std::string text;
    if (id3v1 && field.id3v1Item >= 0) text = Shown(TextOf(info.Items[field.id3v1Item]), encoding);
    if (id3v1 && field.id3v1Item < 0)
      if (const auto name = vtinspect::GenreName(GenreNumber(info))) text = std::string(*name);
    if (text.empty())
      if (const auto found = values.find(field.infoId); found != values.end()) text = found->second;
    if (!text.empty()) values.emplace(field.name, std::move(text));
  }
  if (id3v1 && info.Track != kNoTrack && info.Track > 0) values.emplace("track", std::to_string(info.Track));
  return values;
}

FieldValues PathFields(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path whole = std::filesystem::absolute(path, error).lexically_normal();
  std::string extension = DisplayName(path.extension());
  if (!extension.empty()) extension.erase(0, 1);
  const std::filesystem::path folder = path.parent_path();
  return {{"filename", DisplayName(path.filename())},
          {"stem", DisplayName(path.stem())},
          {"ext", extension},
          {"dir", folder.empty() ? "." : DisplayName(folder)},
          {"parent", error ? std::string() : DisplayName(whole.parent_path().filename())}};
}

}  // namespace vthost
