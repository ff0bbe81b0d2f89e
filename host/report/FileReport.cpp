#include "report/FileReport.h"

#include <cmath>
#include <optional>

#include "Blanks.h"
#include "Genres.h"
#include "PlayLength.h"
#include "Record.h"
#include "report/AudioFields.h"
#include "report/FileWords.h"
#include "report/OutputEscape.h"
#include "report/RecordFields.h"
#include "report/ShownTexts.h"
#include "report/TagFields.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

using vtinspect::FileProbe;
using Shape = Field::Shape;

constexpr const char* kBeforeTheAudio = "  (list before the audio)";
constexpr const char* kBehindTheAudio = "  (behind the audio)";
// A text the module found where the command finds no list: in the audio,
// or in a damaged list.
constexpr const char* kAsTheModuleReadsIt = "  (as the module reads it)";

// The ID3v1 block pads its fields; the module trims the block at the end of
// a file but not the one in an "IID3" chunk.
std::string ShownText(const TagInfo& info, int item, const std::string& encoding) {
  std::string_view bytes = TextOf(info.Items[item]);
  if (item >= VT_ITEM_TITLE) bytes = vtinspect::WithoutTrailingBlanks(bytes);
  return ToDisplay(bytes, encoding);
}

// The IID3 chunk's body is the ID3v1 block itself, shown as such: its text
// item repeats it as noise.
bool ShownInfoItem(const TagInfo& info, int item) {
  return item != VT_ITEM_IID3 && info.Items[item].Length != 0;
}

// Where the module's INFO texts come from. It scans 1001 bytes from the data
// size plus 21: in the RMP3 layout it writes, whose audio starts at byte 20
// (behind the RIFF header and the data chunk's header), that is one byte
// past the end of the audio, where the list starts behind the pad byte of
// an odd-sized chunk; the ids are looked for anywhere in those bytes. In a
// WAVE file with a longer head the start lies inside the audio, and when it
// lies even before the data chunk, the texts the module found are the head
// list's (a streamed file's all-ones size counts as -1).
bool ModuleReadsTheHeadList(const FileProbe& probe) {
  if (!probe.IsWave() || !probe.riff->dataOffset) return false;
  const std::int64_t start = std::int64_t{static_cast<std::int32_t>(probe.riff->dataSize)} + 21;
  return start < static_cast<std::int64_t>(*probe.riff->dataOffset);
}

bool SameAsListed(const std::vector<vtinspect::InfoText>& texts, std::string_view id,
                  std::string_view bytes) {
  for (const vtinspect::InfoText& text : texts)
    if (text.id == id && text.bytes == vtinspect::WithoutTrailingBlanks(bytes)) return true;
  return false;
}

std::int64_t Signed(std::uint64_t value) { return static_cast<std::int64_t>(value); }

// A file name as JSON can carry it: the text, and when the name is not UTF-8
// its bytes too, from which a script can open the file again.
void AddName(std::vector<Field>& fields, const std::string& name) {
  fields.push_back(JsonOnly("file", name));
  if (!IsValidUtf8(name)) fields.push_back(JsonOnly("file_hex", HexBytes(name)));
}

std::vector<Field> RiffFields(const FileProbe& probe) {
  if (!probe.riff) return {};
  std::vector<Field> fields = {JsonOnly("streamed", probe.riff->Streamed())};
  if (const auto& format = probe.riff->format) {
    std::vector<Field> members = {JsonOnly("tag", std::int64_t{format->tag}),
                                  JsonOnly("channels", std::int64_t{format->channels}),
                                  JsonOnly("sample_rate", std::int64_t{format->sampleRate})};
    if (format->subFormat) members.push_back(JsonOnly("subformat", std::int64_t{*format->subFormat}));
    fields.push_back(Composite(Shape::Object, "wave_format", "", "", std::move(members)));
  }
  return fields;
}

// The ID3v1 block: the record's reading of it, or the inspection's for a
// file the module refuses. Genre 255 is "no genre"; a zero track byte is
// no track.
Field Id3v1Fields(const FileView& file, const std::string& encoding) {
  const auto block = Id3v1Of(file);
  if (!block) return Both("id3v1", nullptr, "ID3v1", "none");
  const auto text = [&](const char* name, const std::string& bytes) {
    return SameText(name, std::string("  ") + name, ToDisplay(bytes, encoding));
  };
  const std::string version = block->track ? "1.1" : "1.0";
  const Field track =
      block->track ? Both("track", std::int64_t{*block->track}, "  track", std::to_string(*block->track))
                   : JsonOnly("track", nullptr);
  // Numbers past the list have no name.
  std::string genreName;
  if (block->genre)
    if (const auto name = vtinspect::GenreName(*block->genre)) genreName = *name;
  const std::string genreWords = !block->genre       ? "none"
                                 : genreName.empty() ? std::to_string(*block->genre)
                                                     : std::to_string(*block->genre) + " (" + genreName + ")";
  const Field genreFields =
      Composite(Shape::Group, "", "  genre", genreWords,
                {JsonOnly("genre", block->genre ? Scalar(std::int64_t{*block->genre}) : nullptr),
                 JsonOnly("genre_name", genreName.empty() ? Scalar(nullptr) : Scalar(genreName))});
  return Composite(Shape::Object, "id3v1", "", "",
                   {Both("version", version, "ID3v1", "version " + version), text("title", block->title),
                    text("artist", block->artist), text("album", block->album), text("year", block->year),
                    text("comment", block->comment), track, genreFields});
}

// The texts of the lists the command reads itself: in front of "data",
// which the module does not read, and behind the audio at any distance,
// which it reads only within about 1,000 bytes of the data size.
Field ListedInfoFields(const std::vector<vtinspect::InfoText>& listed, const char* key, const char* where,
                       const std::string& encoding) {
  std::vector<Field> texts;
  for (const vtinspect::InfoText& text : listed) {
    // The IID3 chunk's body is the ID3v1 block, shown as such.
    if (text.id == "IID3") continue;
    const std::string shown = ToDisplay(text.bytes, encoding);
    texts.push_back(Composite(
        Shape::Group, "", text.bytes.empty() ? "" : "INFO " + text.id, shown + where,
        {JsonOnly("id", text.id), JsonOnly("text", shown), JsonOnly("offset", Signed(text.offset))}));
  }
  return Composite(Shape::List, key, "", "", std::move(texts));
}

// The record's INFO texts. A text the command's own read shows already, the
// same chunk reached by both readers, gets no line of its own.
Field ModuleInfoFields(const FileView& file, const std::string& encoding) {
  std::vector<Field> texts;
  const bool headList = ModuleReadsTheHeadList(file.probe);
  for (int item = 0; file.recordRead && item < VT_INFO_ITEM_COUNT; ++item) {
    if (!ShownInfoItem(file.info, item)) continue;
    const std::string id(kInfoIds[static_cast<std::size_t>(item)].id);
    const std::string shown = ShownText(file.info, item, encoding);
    const std::string_view bytes = TextOf(file.info.Items[item]);
    const bool listed =
        file.probe.riff && ((headList && SameAsListed(file.probe.riff->headInfo, id, bytes)) ||
                            SameAsListed(file.probe.riff->tailInfo, id, bytes));
    texts.push_back(Both(id, shown, listed ? "" : "INFO " + id,
                         shown + (headList ? kBeforeTheAudio : kAsTheModuleReadsIt)));
  }
  return Composite(Shape::Object, "info", "", "", std::move(texts));
}

}  // namespace

Report DescribeFile(const FileView& file, const std::string& encoding) {
  const FileProbe& probe = file.probe;
  Report report{file.name, {}};
  std::vector<Field>& fields = report.fields;
  const auto add = [&fields](std::vector<Field> more) {
    for (Field& field : more) fields.push_back(std::move(field));
  };
  AddName(fields, file.name);
  fields.push_back(JsonOnly("ok", true));
  fields.push_back(JsonOnly("mpeg_audio", probe.frame.has_value()));
  add(AudioFields(file));
  add(ShownTextFields(file, encoding));
  fields.push_back(Both("container", std::string(ContainerName(probe.WhichContainer())), "container",
                        ContainerWords(probe)));
  const std::uint64_t size = probe.readable ? probe.size : std::uint64_t(file.info.FileSize);
  fields.push_back(Both("size", Signed(size), "size", std::to_string(size) + " bytes"));
  fields.push_back(RecordFields(file));
  add(Id3v2Fields(file));
  add(RiffFields(probe));
  add(TrailerFields(file));
  fields.push_back(Id3v1Fields(file, encoding));
  static const std::vector<vtinspect::InfoText> kNoTexts;
  fields.push_back(
      ListedInfoFields(probe.riff ? probe.riff->headInfo : kNoTexts, "info_head", kBeforeTheAudio, encoding));
  fields.push_back(
      ListedInfoFields(probe.riff ? probe.riff->tailInfo : kNoTexts, "info_tail", kBehindTheAudio, encoding));
  fields.push_back(ModuleInfoFields(file, encoding));
  return report;
}

Report DescribeFailure(const std::string& name, unsigned code, const std::string& words) {
  Report report{name, {}};
  AddName(report.fields, name);
  report.fields.push_back(JsonOnly("ok", false));
  report.fields.push_back(JsonOnly("code", std::int64_t{code}));
  report.fields.push_back(JsonOnly("error", words));
  return report;
}

}  // namespace vthost
