// The words and names the report shows for what the inspection found and
// the record holds: one place for each phrase, whichever field uses it.
#pragma once

#include <cstdint>
#include <string>

#include "FileProbe.h"
#include "PlayLength.h"
#include "TagInfo.h"
#include "tags/Id3v2Layout.h"

namespace vthost {

std::string MpegName(const TagInfo& info);                  // "1", "2", "2.5"
std::string MpegName(int version);                          // the same from the inspection's 1, 2, 25
std::string MinutesAndSeconds(std::int32_t seconds);        // "3:07"
const char* ChannelModeName(vtinspect::ChannelMode mode);   // "joint stereo"
const char* ContainerName(vtinspect::Container container);  // for JSON: "mpeg", "rmp3", "wave", "unknown"
std::string ContainerWords(const vtinspect::FileProbe& probe);
// What a file that shows no MPEG stream is, as far as its bytes tell.
std::string NotMpegWords(const vtinspect::FileProbe& probe);
// For JSON: "xing", "info", "vbri", "fact", "counted", "bitrate" (the
// estimate), "wave" (other WAVE audio).
const char* SourceName(vtinspect::LengthSource source);
// "30.00 s gapless (1150 frames from the Xing header: 30.04 s less 576
// samples of encoder delay and 1224 of padding)".
std::string LengthLine(const vtinspect::PlayLength& length);
// "the file holds 10.32 s of the 30.00 s its header promises".
std::string CutShortWords(const vtinspect::PlayLength& length);
std::string Printed(const char* format, double value);
std::string Id3v2Version(const vtinspect::Id3v2AtStart& tag);  // "2.3.0"
std::string WaveFormatName(std::uint16_t tag);                 // "0x0001 (PCM)"
// An extensible format with its subformat: "0xfffe (extensible: 0x0001 (PCM))".
std::string WaveFormatName(const vtinspect::WaveFormat& format);
std::string PictureTypeName(int type);                    // "front cover"
const char* FrameIssueName(vtinspect::FrameIssue issue);  // "not read", "compressed", ...

}  // namespace vthost
