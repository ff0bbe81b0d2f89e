#include "report/FileWords.h"

#include <array>
#include <cstdio>

namespace vthost {
namespace {

using vtinspect::Container;
using vtinspect::FileProbe;
using vtinspect::LengthSource;
using vtinspect::PlayLength;

std::string WaveWords(const vtinspect::WaveFormat& format) {
  return "WAVE audio of format " + WaveFormatName(format) + ", " + std::to_string(format.channels) +
         (format.channels == 1 ? " channel, " : " channels, ") + std::to_string(format.sampleRate) +
         " Hz; not MPEG audio";
}

std::string Count(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string SourceWords(const PlayLength& length) {
  const std::string frames = length.frames ? Count(*length.frames, "frame", "frames") : "";
  switch (length.source) {
    case LengthSource::Xing:
      return frames + " from the Xing header";
    case LengthSource::Info:
      return frames + " from the LAME Info header";
    case LengthSource::Vbri:
      return frames + " from the VBRI header";
    case LengthSource::Fact:
      return "the sample count of the WAVE fact chunk";
    case LengthSource::Counted:
      return frames + " counted";
    case LengthSource::WaveByteRate:
      return "from the data size and the byte rate";
    default:
      return "estimate from the first frame's bitrate and " + std::to_string(length.audioBytes) +
             " audio bytes";
  }
}

// ID3v2's picture types, in their numbers' order.
constexpr std::array<const char*, 21> kPictureTypes = {"other",
                                                       "file icon",
                                                       "other file icon",
                                                       "front cover",
                                                       "back cover",
                                                       "leaflet page",
                                                       "media",
                                                       "lead artist",
                                                       "artist",
                                                       "conductor",
                                                       "band",
                                                       "composer",
                                                       "lyricist",
                                                       "recording location",
                                                       "during recording",
                                                       "during performance",
                                                       "video screen capture",
                                                       "a bright coloured fish",
                                                       "illustration",
                                                       "band logotype",
                                                       "publisher logotype"};

}  // namespace

std::string Printed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string WaveFormatName(std::uint16_t tag) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", unsigned{tag});
  return text + std::string(tag == vtinspect::kFormatPcm ? " (PCM)" : "");
}

std::string WaveFormatName(const vtinspect::WaveFormat& format) {
  if (format.tag != vtinspect::kFormatExtensible || !format.subFormat) return WaveFormatName(format.tag);
  return WaveFormatName(format.tag) + " (extensible: " + WaveFormatName(*format.subFormat) + ")";
}

std::string MpegName(const TagInfo& info) {
  if (info.MpegFamily == 2) return "2.5";
  return info.MpegVersion == 1 ? "1" : "2";
}

std::string MpegName(int version) { return version == 25 ? "2.5" : std::to_string(version); }

std::string MinutesAndSeconds(std::int32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return text;
}

const char* ChannelModeName(vtinspect::ChannelMode mode) {
  switch (mode) {
    case vtinspect::ChannelMode::Stereo:
      return "stereo";
    case vtinspect::ChannelMode::JointStereo:
      return "joint stereo";
    case vtinspect::ChannelMode::DualChannel:
      return "dual channel";
    default:
      return "mono";
  }
}

const char* ContainerName(Container container) {
  switch (container) {
    case Container::Mpeg:
      return "mpeg";
    case Container::Rmp3:
      return "rmp3";
    case Container::Wave:
      return "wave";
    default:
      return "unknown";
  }
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

std::string NotMpegWords(const FileProbe& probe) {
  if (probe.IsNonMpegWave())
    return probe.riff->format ? WaveWords(*probe.riff->format)
                              : "WAVE file without a fmt chunk; not MPEG audio";
  if (probe.IsRiffAudio()) return "no MPEG audio frame in the data chunk";
  if (!probe.frame)
    return "not MPEG audio" +
           (probe.looksLike.empty() ? std::string() : " (looks like " + probe.looksLike + ")");
  return "no MPEG audio frame found";
}

const char* SourceName(LengthSource source) {
  switch (source) {
    case LengthSource::Xing:
      return "xing";
    case LengthSource::Info:
      return "info";
    case LengthSource::Vbri:
      return "vbri";
    case LengthSource::Fact:
      return "fact";
    case LengthSource::Counted:
      return "counted";
    case LengthSource::WaveByteRate:
      return "wave";
    default:
      return "bitrate";
  }
}

std::string LengthLine(const PlayLength& length) {
  if (!length.gapless) return Printed("%.2f s", length.seconds) + " (" + SourceWords(length) + ")";
  const vtinspect::Gapless& gap = *length.gapless;
  return Printed("%.2f s gapless", length.seconds) + " (" + SourceWords(length) + ": " +
         Printed("%.2f s", gap.framesSeconds) + " less " + Count(gap.delay, "sample", "samples") +
         " of encoder delay and " + std::to_string(gap.padding) + " of padding)";
}

std::string CutShortWords(const PlayLength& length) {
  if (!length.promisedSeconds) return "";
  return "the file holds " + Printed("%.1f s", length.seconds) + " of the " +
         Printed("%.1f s", *length.promisedSeconds) + " its header promises";
}

std::string Id3v2Version(const vtinspect::Id3v2AtStart& tag) {
  return "2." + std::to_string(tag.major) + "." + std::to_string(tag.revision);
}

std::string PictureTypeName(int type) {
  if (type >= 0 && static_cast<std::size_t>(type) < kPictureTypes.size())
    return kPictureTypes[static_cast<std::size_t>(type)];
  return "type " + std::to_string(type);
}

const char* FrameIssueName(vtinspect::FrameIssue issue) {
  switch (issue) {
    case vtinspect::FrameIssue::kCompressed:
      return "compressed";
    case vtinspect::FrameIssue::kEncrypted:
      return "encrypted";
    case vtinspect::FrameIssue::kUnknownFlags:
      return "unknown flags";
    case vtinspect::FrameIssue::kDamaged:
      return "damaged";
    default:
      return "not read";
  }
}

}  // namespace vthost
