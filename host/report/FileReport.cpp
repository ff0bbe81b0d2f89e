#include "report/FileReport.h"

#include <cmath>
#include <optional>

#include "Blanks.h"
#include "Genres.h"
#include "PlayLength.h"
#include "Record.h"
#include "report/FileWords.h"
#include "report/OutputEscape.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

using vtinspect::FileProbe;
using vtinspect::PlayLength;
using Shape = Field::Shape;

constexpr const char* kChannelModes[] = {"stereo", "joint stereo", "dual channel", "mono"};
constexpr const char* kBeforeTheAudio = "  (list before the audio)";
constexpr const char* kBehindTheAudio = "  (behind the audio)";
// A text the module found where the command finds no list: in the audio,
// or in a damaged list.
constexpr const char* kAsTheModuleReadsIt = "  (as the module reads it)";

// The record's stream fields are shown only when the inspection found a
// valid frame header where the first frame belongs: the module decodes any
// bytes.
bool HasStream(const FileView& file) {
  return file.recordRead && file.probe.frame && file.info.MpegFamily != 0;
}

// The ID3v1.1 form is known by the track GetInfo wrote over the host's mark.
bool HasTrack(const TagInfo& info) { return info.Track != kNoTrack; }

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

Field StreamFields(const FileView& file) {
  const TagInfo& info = file.info;
  const std::string channelMode = kChannelModes[(info.ChannelMode >> 2) & 3];
  const std::string stream = "MPEG-" + MpegName(info) + " layer " + std::to_string(info.Layer) + ", " +
                             std::to_string(info.Bitrate / 1000) + " kbit/s, " +
                             std::to_string(info.SampleRate) + " Hz, " + channelMode + " (mode extension " +
                             std::to_string(info.ChannelMode & 3) + ")";
  return Composite(
      Shape::Group, "", "stream", stream,
      {JsonOnly("mpeg", MpegName(info)), JsonOnly("layer", std::int64_t{info.Layer}),
       JsonOnly("bitrate", std::int64_t{info.Bitrate}),
       JsonOnly("sample_rate", std::int64_t{info.SampleRate}), JsonOnly("channel_mode", channelMode),
       JsonOnly("mode_extension", std::int64_t{info.ChannelMode & 3})});
}

Field FlagFields(const TagInfo& info) {
  const auto bit = [](std::uint8_t value) { return std::to_string(value); };
  const std::string flags = std::string("crc ") + (info.Protected ? "yes" : "no") + ", padding " +
                            bit(info.Padding) + ", private " + bit(info.PrivateBit) + ", copyright " +
                            bit(info.Copyright) + ", original " + bit(info.Original) + ", emphasis " +
                            bit(info.Emphasis);
  return Composite(
      Shape::Group, "", "flags", flags,
      {JsonOnly("crc", info.Protected != 0), JsonOnly("padding", info.Padding != 0),
       JsonOnly("private", info.PrivateBit != 0), JsonOnly("copyright", info.Copyright != 0),
       JsonOnly("original", info.Original != 0), JsonOnly("emphasis", std::int64_t{info.Emphasis})});
}

// The record's own length figures, as the module gives them.
Field RecordLengthFields(const TagInfo& info) {
  return Composite(Shape::Group, "", "", "",
                   {JsonOnly("duration", std::int64_t{info.Duration}),
                    JsonOnly("length", MinutesAndSeconds(info.Duration)),
                    JsonOnly("frames", std::int64_t{info.FrameCount}), JsonOnly("vbr", info.Vbr != 0)});
}

Field NotMpegFields(const FileProbe& probe) {
  const std::string words = NotMpegWords(probe);
  return Composite(
      Shape::Group, "", "stream", words,
      {JsonOnly("mpeg", nullptr), JsonOnly("not_mpeg", words),
       JsonOnly("looks_like", probe.looksLike.empty() ? Scalar(nullptr) : Scalar(probe.looksLike))});
}

Field LengthFields(const FileView& file, const PlayLength& length) {
  return Composite(
      Shape::Group, "", "length", LengthLine(length, HasStream(file)),
      {JsonOnly("seconds", std::round(length.seconds * 100) / 100),
       JsonOnly("seconds_source", std::string(SourceName(length.source))),
       JsonOnly("counted_frames", length.frames ? Scalar(std::int64_t{*length.frames}) : nullptr),
       JsonOnly("audio_bytes", Signed(length.audioBytes))});
}

Field Id3v2Fields(const FileProbe& probe) {
  if (!probe.id3v2) return JsonOnly("id3v2_tag", nullptr);
  const std::string version = Id3v2Version(*probe.id3v2);
  return Composite(Shape::Object, "id3v2_tag", "ID3v2",
                   "version " + version + ", " + std::to_string(probe.id3v2->size) +
                       " bytes; its frames are neither shown nor changed",
                   {JsonOnly("version", version), JsonOnly("size", Signed(probe.id3v2->size))});
}

std::vector<Field> RiffFields(const FileProbe& probe) {
  if (!probe.riff) return {};
  std::vector<Field> fields = {JsonOnly("streamed", probe.riff->Streamed())};
  if (const auto& format = probe.riff->format)
    fields.push_back(Composite(
        Shape::Object, "wave_format", "", "",
        {JsonOnly("tag", std::int64_t{format->tag}), JsonOnly("channels", std::int64_t{format->channels}),
         JsonOnly("sample_rate", std::int64_t{format->sampleRate})}));
  return fields;
}

Field Id3v1Fields(const FileView& file, const std::string& encoding) {
  const TagInfo& info = file.info;
  if (!file.recordRead || !info.HasTag) return Both("id3v1", nullptr, "ID3v1", "none");
  const auto text = [&](const char* name, int item) {
    return SameText(name, name, ShownText(info, item, encoding));
  };
  const std::string version = HasTrack(info) ? "1.1" : "1.0";
  const int genre = GenreNumber(info);
  const auto genreName = vtinspect::GenreName(genre);
  const Field track = HasTrack(info)
                          ? Both("track", std::int64_t{info.Track}, "track", std::to_string(info.Track))
                          : JsonOnly("track", nullptr);
  const Field genreFields =
      Composite(Shape::Group, "", "genre",
                std::to_string(genre) + (genreName ? " (" + std::string(*genreName) + ")" : ""),
                {JsonOnly("genre", std::int64_t{genre}),
                 JsonOnly("genre_name", genreName ? Scalar(std::string(*genreName)) : nullptr)});
  return Composite(Shape::Object, "id3v1", "", "",
                   {Both("version", version, "ID3v1", "version " + version), text("title", VT_ITEM_TITLE),
                    text("artist", VT_ITEM_ARTIST), text("album", VT_ITEM_ALBUM), text("year", VT_ITEM_YEAR),
                    text("comment", VT_ITEM_COMMENT), track, genreFields});
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
  const TagInfo& info = file.info;
  const FileProbe& probe = file.probe;
  Report report{file.name, {}};
  std::vector<Field>& fields = report.fields;
  AddName(fields, file.name);
  fields.push_back(JsonOnly("ok", true));
  fields.push_back(JsonOnly("mpeg_audio", HasStream(file)));
  if (HasStream(file)) {
    fields.push_back(StreamFields(file));
    fields.push_back(FlagFields(info));
    fields.push_back(RecordLengthFields(info));
  } else {
    fields.push_back(NotMpegFields(probe));
  }
  if (const auto length = file.recordRead ? vtinspect::DerivePlayLength(probe, info) : std::nullopt)
    fields.push_back(LengthFields(file, *length));
  fields.push_back(Both("container", std::string(ContainerName(probe.WhichContainer())), "container",
                        ContainerWords(probe)));
  const std::uint64_t size = probe.readable ? probe.size : std::uint64_t(info.FileSize);
  fields.push_back(Both("size", Signed(size), "size", std::to_string(size) + " bytes"));
  fields.push_back(JsonOnly("id3v2", probe.id3v2.has_value()));
  fields.push_back(Id3v2Fields(probe));
  for (Field& field : RiffFields(probe)) fields.push_back(std::move(field));
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
