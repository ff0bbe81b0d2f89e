#include "patterns/FileFields.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "Blanks.h"
#include "Record.h"
#include "report/FileView.h"
#include "report/ShownTexts.h"
#include "system/FileNames.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

// The keys of the shown texts and the fields they fill.
constexpr std::pair<std::string_view, const char*> kShownFields[] = {
    {"title", "title"}, {"artist", "artist"}, {"album", "album"},    {"date", "year"},
    {"track", "track"}, {"genre", "genre"},   {"comment", "comment"}};

std::string Shown(std::string_view bytes, const std::string& encoding) {
  return ToDisplay(vtinspect::WithoutTrailingBlanks(bytes), encoding);
}

std::optional<std::string> TextOfScalar(const Scalar& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  return std::nullopt;
}

// "2001-05-12" gives 2001; a date that does not start with a year is kept.
std::string YearOf(const std::string& date) {
  const bool year = date.size() >= 4 && std::all_of(date.begin(), date.begin() + 4,
                                                    [](unsigned char c) { return std::isdigit(c) != 0; });
  return year ? date.substr(0, 4) : date;
}

}  // namespace

FieldValues TagFields(const TagInfo& info, bool recordRead, const vtinspect::FileInspection& inspection,
                      const std::string& encoding) {
  FieldValues values;
  // INFO texts: those the module read behind the audio, then the list before
  // it for ids the module did not give.
  if (recordRead)
    for (const InfoId& known : kInfoIds)
      if (known.item != VT_ITEM_IID3 && info.Items[known.item].Length != 0)
        if (std::string text = Shown(TextOf(info.Items[known.item]), encoding); !text.empty())
          values.emplace(known.id, std::move(text));
  if (inspection.probe.riff)
    for (const vtinspect::InfoText& head : inspection.probe.riff->headInfo)
      if (std::string text = Shown(head.bytes, encoding); !text.empty())
        values.emplace(head.id, std::move(text));

  const std::string noName;
  const FileView view{noName, info, recordRead, inspection.probe, inspection};
  for (const Field& shown : ShownTextFields(view, encoding))
    for (const Field& member : shown.members)
      for (const auto& [key, field] : kShownFields)
        if (member.key == key)
          if (auto text = TextOfScalar(member.value); text && !text->empty())
            values[field] = key == "date" ? YearOf(*text) : *text;
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
