// The words and names the report shows for what the inspection found and
// the record holds: one place for each phrase, whichever field uses it.
#pragma once

#include <cstdint>
#include <string>

#include "FileProbe.h"
#include "PlayLength.h"
#include "TagInfo.h"

namespace vthost {

std::string MpegName(const TagInfo& info);                  // "1", "2", "2.5"
std::string MinutesAndSeconds(std::int32_t seconds);        // "3:07"
const char* ContainerName(vtinspect::Container container);  // for JSON: "mpeg", "rmp3", "wave", "unknown"
std::string ContainerWords(const vtinspect::FileProbe& probe);
// What a file that shows no MPEG stream is, as far as its bytes tell.
std::string NotMpegWords(const vtinspect::FileProbe& probe);
const char* SourceName(
    vtinspect::LengthSource source);  // for JSON: "xing", "info", "vbri", "bitrate", "wave"
// "3.56 s (136 frames from the LAME Info header), constant bitrate"; the
// rate words only for an MPEG stream.
std::string LengthLine(const vtinspect::PlayLength& length, bool mpegStream);
std::string Id3v2Version(const vtinspect::Id3v2AtStart& tag);  // "2.3.0"
std::string WaveFormatName(std::uint16_t tag);                 // "0x0001 (PCM)"

}  // namespace vthost
