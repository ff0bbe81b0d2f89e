#include "report/RecordFields.h"

#include "report/FileWords.h"

namespace vthost {

Field RecordFields(const FileView& file) {
  if (!file.recordRead) {
    const std::string words = file.recordRefusal.empty() ? "none" : "none: " + file.recordRefusal;
    return Composite(Field::Shape::Group, "", file.recordRefusal.empty() ? "" : "record", words,
                     {JsonOnly("record", nullptr),
                      JsonOnly("record_refusal",
                               file.recordRefusal.empty() ? Scalar(nullptr) : Scalar(file.recordRefusal))});
  }
  const TagInfo& info = file.info;
  // The module decodes any bytes as a frame header: its stream fields mean
  // something only where the inspection found a frame.
  if (info.MpegFamily == 0 || !file.probe.frame)
    return Composite(Field::Shape::Object, "record", "", "", {JsonOnly("stream", false)});
  const std::string line = "MPEG-" + MpegName(info) + " layer " + std::to_string(info.Layer) + ", " +
                           std::to_string(info.Bitrate / 1000) + " kbit/s, " +
                           std::to_string(info.SampleRate) + " Hz, " + std::to_string(info.Duration) +
                           " s, " + std::to_string(info.FrameCount) + " frames" + (info.Vbr ? ", VBR" : "") +
                           " (the module's figures)";
  return Composite(
      Field::Shape::Object, "record", "record", line,
      {JsonOnly("stream", true), JsonOnly("mpeg", MpegName(info)),
       JsonOnly("layer", std::int64_t{info.Layer}), JsonOnly("bitrate", std::int64_t{info.Bitrate}),
       JsonOnly("sample_rate", std::int64_t{info.SampleRate}),
       JsonOnly("duration", std::int64_t{info.Duration}),
       JsonOnly("length", MinutesAndSeconds(info.Duration)),
       JsonOnly("frames", std::int64_t{info.FrameCount}), JsonOnly("vbr", info.Vbr != 0)});
}

}  // namespace vthost
