#include "InfoReport.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <sstream>

#include "Genres.h"
#include "Record.h"
#include "TextCodec.h"

namespace vthost {
namespace {

constexpr const char* kChannelModes[] = {"stereo", "joint stereo", "dual channel", "mono"};

bool HasStream(const TagInfo& info) { return info.MpegFamily != 0; }

std::string MpegName(const TagInfo& info) {
  if (info.MpegFamily == 2) return "2.5";
  return info.MpegVersion == 1 ? "1" : "2";
}

std::string Length(std::int32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return text;
}

std::string ContainerName(const TagInfo& info) {
  switch (info.FileKind) {
    case VT_KIND_RMP3:
      return "rmp3";
    case VT_KIND_WAVE:
      return "wave";
    default:
      return "mpeg";
  }
}

std::string ContainerWords(const TagInfo& info) {
  switch (info.FileKind) {
    case VT_KIND_RMP3:
      return "RIFF RMP3";
    case VT_KIND_WAVE:
      return "RIFF WAVE";
    default:
      return info.TagKind == VT_TAG_ID3V2 ? "MPEG stream behind an ID3v2 tag" : "MPEG stream";
  }
}

// The ID3v1.1 form is known by the track GetInfo wrote over the host's mark.
bool HasTrack(const TagInfo& info) { return info.Track != kNoTrack; }

// The ID3v1 block pads its fields with spaces (or zeros, which end the
// text on reading); the padding is not part of the text.
std::string ShownText(const TagInfo& info, int item, const std::string& encoding) {
  std::string_view bytes = TextOf(info.Items[item]);
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

}  // namespace

std::string TextReport(const std::string& name, const TagInfo& info, const std::string& encoding) {
  std::ostringstream out;
  auto line = [&](const std::string& label, const std::string& value) {
    out << "  " << label << std::string(label.size() < 11 ? 11 - label.size() : 1, ' ') << value << '\n';
  };
  auto text = [&](int item) { return ShownText(info, item, encoding); };

  out << name << '\n';
  if (HasStream(info)) {
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
    line("length", Length(info.Duration) + " (" + std::to_string(info.FrameCount) + " frames)" +
                       (info.Vbr ? ", VBR" : ", constant bitrate"));
  } else {
    line("stream", "no MPEG audio frame found");
  }
  line("container", ContainerWords(info));
  line("size", std::to_string(info.FileSize) + " bytes");
  if (info.HasTag) {
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
  for (int item = 0; item < VT_INFO_ITEM_COUNT; ++item) {
    if (!ShownInfoItem(info, item)) continue;
    line("INFO " + std::string(kInfoIds[static_cast<std::size_t>(item)]), text(item));
  }
  return out.str();
}

std::string JsonReport(const std::string& name, const TagInfo& info, const std::string& encoding) {
  using nlohmann::json;
  auto text = [&](int item) { return ShownText(info, item, encoding); };
  json report = {{"file", name}, {"ok", true}};
  if (HasStream(info)) {
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
  } else {
    report["mpeg"] = nullptr;
  }
  report["duration"] = info.Duration;
  report["length"] = Length(info.Duration);
  report["frames"] = info.FrameCount;
  report["vbr"] = info.Vbr != 0;
  report["container"] = ContainerName(info);
  report["id3v2"] = info.TagKind == VT_TAG_ID3V2;
  report["size"] = info.FileSize;
  if (info.HasTag) {
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
  for (int item = 0; item < VT_INFO_ITEM_COUNT; ++item)
    if (ShownInfoItem(info, item))
      infoTexts[std::string(kInfoIds[static_cast<std::size_t>(item)])] = text(item);
  report["info"] = infoTexts;
  return report.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string JsonFailure(const std::string& name, unsigned code, const std::string& words) {
  nlohmann::json report = {{"file", name}, {"ok", false}, {"code", code}, {"error", words}};
  return report.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace vthost
