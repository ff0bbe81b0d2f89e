#include "InfoReport.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "Genres.h"
#include "OutputEscape.h"
#include "PlayLength.h"
#include "Record.h"
#include "TextCodec.h"

namespace vthost {
namespace {

using nlohmann::json;

constexpr const char* kChannelModes[] = {"stereo", "joint stereo", "dual channel", "mono"};

// The record's stream fields are shown only when the host found a valid
// frame header where the first frame belongs: the module decodes any bytes.
bool HasStream(const FileView& file) {
  return file.recordRead && file.probe.frame && file.info.MpegFamily != 0;
}

std::string MpegName(const TagInfo& info) {
  if (info.MpegFamily == 2) return "2.5";
  return info.MpegVersion == 1 ? "1" : "2";
}

std::string Length(std::int32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return text;
}

double TwoDecimals(double seconds) { return std::round(seconds * 100) / 100; }

std::string Seconds(double seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

std::string ContainerName(const FileProbe& probe) {
  if (probe.IsWave()) return "wave";
  if (probe.IsRiffAudio()) return "rmp3";
  return probe.frame ? "mpeg" : "unknown";
}

std::string ContainerWords(const FileProbe& probe) {
  if (probe.IsRiffAudio()) {
    std::string words = probe.IsWave() ? "RIFF WAVE" : "RIFF RMP3";
    if (probe.riff->Streamed()) words += ", data size unknown (streamed file)";
    return words;
  }
  if (!probe.frame) return "none that vomtrail knows";
  return probe.id3v2 ? "MPEG stream behind an ID3v2 tag" : "MPEG stream";
}

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", value & 0xFFFFu);
  return text;
}

std::string WaveWords(const WaveFormat& format) {
  return "WAVE audio of format " + Hex4(format.tag) + (format.tag == kFormatPcm ? " (PCM)" : "") + ", " +
         std::to_string(format.channels) + (format.channels == 1 ? " channel, " : " channels, ") +
         std::to_string(format.sampleRate) + " Hz; not MPEG audio";
}

std::string NotMpegWords(const FileProbe& probe) {
  if (probe.IsNonMpegWave())
    return probe.riff->format ? WaveWords(*probe.riff->format)
                              : "WAVE file without a fmt chunk; not MPEG audio";
  if (probe.IsRiffAudio()) return "no MPEG audio frame at the start of the data chunk";
  if (!probe.frame)
    return "not MPEG audio" +
           (probe.looksLike.empty() ? std::string() : " (looks like " + probe.looksLike + ")");
  return "no MPEG audio frame found";
}

// The ID3v1.1 form is known by the track GetInfo wrote over the host's mark.
bool HasTrack(const TagInfo& info) { return info.Track != kNoTrack; }

// The ID3v1 block pads its fields with spaces (or zeros, which end the
// text on reading); the padding is not part of the text.
std::string ShownText(std::string_view bytes, int item, const std::string& encoding) {
  if (item >= VT_ITEM_TITLE) {
    while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);
  }
  return ToDisplay(bytes, encoding);
}

// The IID3 chunk's body is the ID3v1 block itself, shown as such: its text
// item repeats it as noise.
bool ShownInfoItem(const TagInfo& info, int item) {
  return item != VT_ITEM_IID3 && info.Items[item].Length != 0;
}

// Where the module's INFO texts come from: it scans from the data size plus
// 21 bytes, which is behind the audio unless the data size is too small to
// reach past the head (a streamed file's all-ones size counts as -1).
const char* ModuleListPlace(const FileProbe& probe) {
  if (probe.IsWave() && probe.riff->dataOffset) {
    const std::int64_t start = std::int64_t{static_cast<std::int32_t>(probe.riff->dataSize)} + 21;
    if (start < static_cast<std::int64_t>(*probe.riff->dataOffset)) return "  (list before the audio)";
  }
  return "  (behind the audio)";
}

bool SameAsHead(const FileProbe& probe, std::string_view id, std::string_view bytes) {
  if (!probe.riff) return false;
  for (const InfoText& head : probe.riff->headInfo)
    if (head.id == id && head.bytes == bytes) return true;
  return false;
}

std::string Id3v2Version(const Id3v2Tag& tag) {
  return "2." + std::to_string(tag.major) + "." + std::to_string(tag.revision);
}

std::string LengthLine(const FileView& file, const PlayLength& length) {
  std::string line = Seconds(length.seconds) + " (" + SourceWords(length) + ")";
  if (!HasStream(file)) return line;
  if (length.source == LengthSource::Xing || length.source == LengthSource::Vbri) return line + ", VBR";
  if (length.source == LengthSource::Info) return line + ", constant bitrate";
  return line;
}

// A file name as JSON can carry it: the text, and when the name is not UTF-8
// its bytes too, from which a script can open the file again.
void AddName(json& report, const std::string& name) {
  report["file"] = name;
  if (!IsValidUtf8(name)) report["file_hex"] = HexBytes(name);
}

}  // namespace

std::string TextReport(const FileView& file, const std::string& encoding) {
  const TagInfo& info = file.info;
  std::ostringstream out;
  auto line = [&](const std::string& label, const std::string& value) {
    out << "  " << label << std::string(label.size() < 11 ? 11 - label.size() : 1, ' ')
        << EscapeControls(value) << '\n';
  };
  auto text = [&](int item) { return ShownText(TextOf(info.Items[item]), item, encoding); };

  out << EscapeControls(file.name) << '\n';
  if (HasStream(file)) {
    std::ostringstream stream;
    stream << "MPEG-" << MpegName(info) << " layer " << int{info.Layer} << ", " << info.Bitrate / 1000
           << " kbit/s, " << info.SampleRate << " Hz, " << kChannelModes[(info.ChannelMode >> 2) & 3]
           << " (mode extension " << (info.ChannelMode & 3) << ")";
    line("stream", stream.str());
    std::ostringstream flags;
    flags << "crc " << (info.Protected ? "yes" : "no") << ", padding " << int{info.Padding} << ", private "
          << int{info.PrivateBit} << ", copyright " << int{info.Copyright} << ", original "
          << int{info.Original} << ", emphasis " << int{info.Emphasis};
    line("flags", flags.str());
  } else {
    line("stream", NotMpegWords(file.probe));
  }
  if (const auto length = file.recordRead ? DerivePlayLength(file.probe, info) : std::nullopt)
    line("length", LengthLine(file, *length));
  line("container", ContainerWords(file.probe));
  line("size",
       std::to_string(file.probe.readable ? file.probe.size : std::uint64_t(info.FileSize)) + " bytes");
  if (file.probe.id3v2)
    line("ID3v2", "version " + Id3v2Version(*file.probe.id3v2) + ", " +
                      std::to_string(file.probe.id3v2->size) +
                      " bytes; its frames are neither shown nor changed");
  if (file.recordRead && info.HasTag) {
    line("ID3v1", HasTrack(info) ? "version 1.1" : "version 1.0");
    line("title", text(VT_ITEM_TITLE));
    line("artist", text(VT_ITEM_ARTIST));
    line("album", text(VT_ITEM_ALBUM));
    line("year", text(VT_ITEM_YEAR));
    line("comment", text(VT_ITEM_COMMENT));
    if (HasTrack(info)) line("track", std::to_string(info.Track));
    const int genre = GenreNumber(info);
    const auto genreName = GenreName(genre);
    line("genre", std::to_string(genre) + (genreName ? " (" + std::string(*genreName) + ")" : ""));
  } else {
    line("ID3v1", "none");
  }
  if (file.probe.riff)
    for (const InfoText& head : file.probe.riff->headInfo)
      if (!head.bytes.empty())
        line("INFO " + head.id, ToDisplay(head.bytes, encoding) + "  (list before the audio)");
  const std::string place = ModuleListPlace(file.probe);
  for (int item = 0; file.recordRead && item < VT_INFO_ITEM_COUNT; ++item) {
    if (!ShownInfoItem(info, item)) continue;
    const std::string_view id = kInfoIds[static_cast<std::size_t>(item)];
    // The same chunk, reached by both readers, is shown once.
    if (place != "  (behind the audio)" && SameAsHead(file.probe, id, TextOf(info.Items[item]))) continue;
    line("INFO " + std::string(id), text(item) + place);
  }
  return out.str();
}

std::string JsonReport(const FileView& file, const std::string& encoding) {
  const TagInfo& info = file.info;
  const FileProbe& probe = file.probe;
  auto text = [&](int item) { return ShownText(TextOf(info.Items[item]), item, encoding); };
  json report;
  AddName(report, file.name);
  report["ok"] = true;
  report["mpeg_audio"] = HasStream(file);
  if (HasStream(file)) {
    report["mpeg"] = MpegName(info);
    report["layer"] = info.Layer;
    report["bitrate"] = info.Bitrate;
    report["sample_rate"] = info.SampleRate;
    report["channel_mode"] = kChannelModes[(info.ChannelMode >> 2) & 3];
    report["mode_extension"] = info.ChannelMode & 3;
    report["crc"] = info.Protected != 0;
    report["padding"] = info.Padding != 0;
    report["private"] = info.PrivateBit != 0;
    report["copyright"] = info.Copyright != 0;
    report["original"] = info.Original != 0;
    report["emphasis"] = info.Emphasis;
    // The record's own length figures, as the module gives them.
    report["duration"] = info.Duration;
    report["length"] = Length(info.Duration);
    report["frames"] = info.FrameCount;
    report["vbr"] = info.Vbr != 0;
  } else {
    report["mpeg"] = nullptr;
    report["not_mpeg"] = NotMpegWords(probe);
    report["looks_like"] = probe.looksLike.empty() ? json(nullptr) : json(probe.looksLike);
  }
  if (const auto length = file.recordRead ? DerivePlayLength(probe, info) : std::nullopt) {
    report["seconds"] = TwoDecimals(length->seconds);
    report["seconds_source"] = SourceName(length->source);
    report["counted_frames"] = length->frames ? json(*length->frames) : json(nullptr);
    report["audio_bytes"] = length->audioBytes;
  }
  report["container"] = ContainerName(probe);
  report["id3v2"] = probe.id3v2.has_value();
  report["id3v2_tag"] = probe.id3v2
                            ? json{{"version", Id3v2Version(*probe.id3v2)}, {"size", probe.id3v2->size}}
                            : json(nullptr);
  report["size"] = probe.readable ? probe.size : std::uint64_t(info.FileSize);
  if (probe.riff) {
    report["streamed"] = probe.riff->Streamed();
    if (probe.riff->format)
      report["wave_format"] = {{"tag", probe.riff->format->tag},
                               {"channels", probe.riff->format->channels},
                               {"sample_rate", probe.riff->format->sampleRate}};
  }
  if (file.recordRead && info.HasTag) {
    const int genre = GenreNumber(info);
    const auto genreName = GenreName(genre);
    report["id3v1"] = {
        {"version", HasTrack(info) ? "1.1" : "1.0"},
        {"title", text(VT_ITEM_TITLE)},
        {"artist", text(VT_ITEM_ARTIST)},
        {"album", text(VT_ITEM_ALBUM)},
        {"year", text(VT_ITEM_YEAR)},
        {"comment", text(VT_ITEM_COMMENT)},
        {"track", HasTrack(info) ? json(info.Track) : json(nullptr)},
        {"genre", genre},
        {"genre_name", genreName ? json(std::string(*genreName)) : json(nullptr)},
    };
  } else {
    report["id3v1"] = nullptr;
  }
  json infoTexts = json::object();
  for (int item = 0; file.recordRead && item < VT_INFO_ITEM_COUNT; ++item)
    if (ShownInfoItem(info, item))
      infoTexts[std::string(kInfoIds[static_cast<std::size_t>(item)])] = text(item);
  report["info"] = infoTexts;
  json head = json::array();
  if (probe.riff)
    for (const InfoText& found : probe.riff->headInfo)
      head.push_back(
          {{"id", found.id}, {"text", ToDisplay(found.bytes, encoding)}, {"offset", found.offset}});
  report["info_head"] = head;
  return report.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string JsonFailure(const std::string& name, unsigned code, const std::string& words) {
  json report;
  AddName(report, name);
  report["ok"] = false;
  report["code"] = code;
  report["error"] = words;
  return report.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace vthost
