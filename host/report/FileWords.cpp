#include "report/FileWords.h"

#include <cstdio>

namespace vthost {
namespace {

using vtinspect::Container;
using vtinspect::FileProbe;
using vtinspect::LengthSource;
using vtinspect::PlayLength;

std::string Printed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string WaveWords(const vtinspect::WaveFormat& format) {
  return "WAVE audio of format " + WaveFormatName(format.tag) + ", " + std::to_string(format.channels) +
         (format.channels == 1 ? " channel, " : " channels, ") + std::to_string(format.sampleRate) +
         " Hz; not MPEG audio";
}

std::string SourceWords(const PlayLength& length) {
  const std::string frames = length.frames ? std::to_string(*length.frames) + " frames" : "";
  switch (length.source) {
    case LengthSource::Xing:
      return frames + " from the Xing header";
    case LengthSource::Info:
      return frames + " from the LAME Info header";
    case LengthSource::Vbri:
      return frames + " from the VBRI header";
    case LengthSource::WaveByteRate:
      return "from the data size and the byte rate";
    default:
      return "estimate from the first frame's bitrate and " + std::to_string(length.audioBytes) +
             " audio bytes";
  }
}

}  // namespace

std::string WaveFormatName(std::uint16_t tag) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", unsigned{tag});
  return text + std::string(tag == vtinspect::kFormatPcm ? " (PCM)" : "");
}

std::string MpegName(const TagInfo& info) {
  if (info.MpegFamily == 2) return "2.5";
  return info.MpegVersion == 1 ? "1" : "2";
}

std::string MinutesAndSeconds(std::int32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return text;
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
  if (probe.IsRiffAudio()) return "no MPEG audio frame at the start of the data chunk";
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
    case LengthSource::WaveByteRate:
      return "wave";
    default:
      return "bitrate";
  }
}

std::string LengthLine(const PlayLength& length, bool mpegStream) {
  std::string line = Printed("%.2f s", length.seconds) + " (" + SourceWords(length) + ")";
  if (!mpegStream) return line;
  if (length.source == LengthSource::Xing || length.source == LengthSource::Vbri) return line + ", VBR";
  if (length.source == LengthSource::Info) return line + ", constant bitrate";
  return line;
}

std::string Id3v2Version(const vtinspect::Id3v2AtStart& tag) {
  return "2." + std::to_string(tag.major) + "." + std::to_string(tag.revision);
}

}  // namespace vthost
