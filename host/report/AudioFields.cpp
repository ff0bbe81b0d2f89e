#include "report/AudioFields.h"

#include <cmath>

#include "report/FileWords.h"

namespace vthost {
namespace {

using vtinspect::FrameHeader;
using vtinspect::PlayLength;
using Shape = Field::Shape;

std::int64_t Signed(std::uint64_t value) { return static_cast<std::int64_t>(value); }
double Hundredths(double value) { return std::round(value * 100) / 100; }

std::string BitrateWords(const FrameHeader& frame, const PlayLength* length) {
  if (!length || !length->vbr) return std::to_string(frame.bitrate / 1000) + " kbit/s";
  return Printed("%.0f kbit/s average, VBR", length->bitrate / 1000);
}

Field StreamFields(const FrameHeader& frame, const PlayLength* length) {
  const std::string channelMode = ChannelModeName(frame.channelMode);
  const std::string stream = "MPEG-" + MpegName(frame.version) + " layer " + std::to_string(frame.layer) +
                             ", " + BitrateWords(frame, length) + ", " + std::to_string(frame.sampleRate) +
                             " Hz, " + channelMode + " (mode extension " +
                             std::to_string(frame.modeExtension) + ")";
  const bool average = length && length->vbr;
  return Composite(
      Shape::Group, "", "stream", stream,
      {JsonOnly("mpeg", MpegName(frame.version)), JsonOnly("layer", std::int64_t{frame.layer}),
       JsonOnly("bitrate", length ? std::llround(length->bitrate) : std::int64_t{frame.bitrate}),
       JsonOnly("bitrate_source", std::string(average ? "average" : "frame")),
       JsonOnly("sample_rate", std::int64_t{frame.sampleRate}), JsonOnly("channel_mode", channelMode),
       JsonOnly("mode_extension", std::int64_t{frame.modeExtension})});
}

Field FlagFields(const FrameHeader& frame) {
  const auto bit = [](bool value) { return std::string(value ? "1" : "0"); };
  const std::string flags = std::string("crc ") + (frame.crc ? "yes" : "no") + ", padding " +
                            bit(frame.padding) + ", private " + bit(frame.privateBit) + ", copyright " +
                            bit(frame.copyright) + ", original " + bit(frame.original) + ", emphasis " +
                            std::to_string(frame.emphasis);
  return Composite(
      Shape::Group, "", "flags", flags,
      {JsonOnly("crc", frame.crc), JsonOnly("padding", frame.padding), JsonOnly("private", frame.privateBit),
       JsonOnly("copyright", frame.copyright), JsonOnly("original", frame.original),
       JsonOnly("emphasis", std::int64_t{frame.emphasis})});
}

// The length, with today's keys for it ("duration", "length", "frames",
// "vbr", "counted_frames") holding the true figures too.
Field LengthFields(const PlayLength& length) {
  const auto whole = static_cast<std::int32_t>(std::lround(length.seconds));
  const auto frames = [&length] { return length.frames ? Scalar(Signed(*length.frames)) : Scalar(nullptr); };
  std::vector<Field> members = {
      JsonOnly("seconds", Hundredths(length.seconds)),
      JsonOnly("seconds_source", std::string(SourceName(length.source))),
      JsonOnly("duration", std::int64_t{whole}),
      JsonOnly("length", MinutesAndSeconds(whole)),
      JsonOnly("frames", frames()),
      JsonOnly("counted_frames", frames()),
      JsonOnly("vbr", length.vbr),
      JsonOnly("audio_bytes", Signed(length.audioBytes)),
      JsonOnly("gapless", length.gapless.has_value()),
      JsonOnly("frames_seconds",
               length.gapless ? Scalar(Hundredths(length.gapless->framesSeconds)) : nullptr),
      JsonOnly("encoder_delay", length.gapless ? Scalar(std::int64_t{length.gapless->delay}) : nullptr),
      JsonOnly("encoder_padding", length.gapless ? Scalar(std::int64_t{length.gapless->padding}) : nullptr),
      JsonOnly("promised_seconds",
               length.promisedSeconds ? Scalar(Hundredths(*length.promisedSeconds)) : nullptr)};
  Field fields = Composite(Shape::Group, "", "length", LengthLine(length), std::move(members));
  if (length.promisedSeconds) fields.members.push_back(Both("", nullptr, "cut short", CutShortWords(length)));
  return fields;
}

Field EncoderFields(const vtinspect::FileProbe& probe) {
  const auto& lame = probe.frameCount ? probe.frameCount->lame : std::nullopt;
  if (!lame)
    return Composite(Shape::Group, "", "", "",
                     {JsonOnly("encoder", nullptr), JsonOnly("encoder_settings", nullptr)});
  const std::string settings = lame->Settings();
  return Composite(Shape::Group, "", "encoder", lame->encoder + (settings.empty() ? "" : ", " + settings),
                   {JsonOnly("encoder", lame->encoder),
                    JsonOnly("encoder_settings", settings.empty() ? Scalar(nullptr) : Scalar(settings))});
}

// Bytes before the first frame that are not audio, as players skip them.
Field SkippedFields(const vtinspect::FileProbe& probe) {
  const std::string words = std::to_string(probe.skipped) + " bytes before the first frame (at byte " +
                            std::to_string(probe.frameOffset) + ")";
  return Composite(Shape::Group, "", probe.skipped != 0 ? "skipped" : "", words,
                   {JsonOnly("skipped_bytes", Signed(probe.skipped)),
                    JsonOnly("first_frame_offset", Signed(probe.frameOffset))});
}

Field NotMpegFields(const vtinspect::FileProbe& probe) {
  const std::string words = NotMpegWords(probe);
  return Composite(
      Shape::Group, "", "stream", words,
      {JsonOnly("mpeg", nullptr), JsonOnly("not_mpeg", words),
       JsonOnly("looks_like", probe.looksLike.empty() ? Scalar(nullptr) : Scalar(probe.looksLike))});
}

}  // namespace

std::vector<Field> AudioFields(const FileView& file) {
  const vtinspect::FileProbe& probe = file.probe;
  const auto& length = file.inspection.length;
  std::vector<Field> fields;
  if (!probe.frame) {
    fields.push_back(NotMpegFields(probe));
    if (length) fields.push_back(LengthFields(*length));
    return fields;
  }
  fields.push_back(StreamFields(*probe.frame, length ? &*length : nullptr));
  fields.push_back(FlagFields(*probe.frame));
  if (length) fields.push_back(LengthFields(*length));
  fields.push_back(EncoderFields(probe));
  fields.push_back(SkippedFields(probe));
  return fields;
}

}  // namespace vthost
