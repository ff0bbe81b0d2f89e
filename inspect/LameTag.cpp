#include "LameTag.h"

#include <array>
#include <utility>

#include "platform/ByteOrder.h"

namespace vtinspect {
namespace {

using vomtrail::ByteAt;

constexpr std::size_t kEncoderSize = 9;
constexpr std::size_t kMethodAt = 9, kDelayAt = 21, kPresetAt = 26;

// The encoders known to write this layout. LAME 3.99 wrote "L3.99" where its
// full version did not fit.
constexpr std::array<std::string_view, 4> kWriters = {"LAME", "L3.9", "Lavc", "Lavf"};

// LAME's codes for its named presets, 1000 on; 410 to 500 are -V 9 to -V 0,
// 8 to 320 a bitrate.
constexpr std::array<std::pair<std::uint16_t, std::string_view>, 8> kNamedPresets = {{
    {1000, "r3mix"},
    {1001, "standard"},
    {1002, "extreme"},
    {1003, "insane"},
    {1004, "fast standard"},
    {1005, "fast extreme"},
    {1006, "medium"},
    {1007, "fast medium"},
}};

constexpr int kMethodAbr = 2, kMethodAbrTwoPass = 9;

std::string EncoderName(std::string_view bytes) {
  std::size_t end = 0;
  while (end < kEncoderSize && ByteAt(bytes, end) > 0x20 && ByteAt(bytes, end) < 0x7F) ++end;
  // A shorter name is padded with spaces or zeros.
  return std::string(bytes.substr(0, end));
}

}  // namespace

std::string LameTag::Settings() const {
  if (preset >= 410 && preset <= 500 && preset % 10 == 0) return "-V " + std::to_string((500 - preset) / 10);
  if (preset >= 8 && preset <= 320)
    return (method == kMethodAbr || method == kMethodAbrTwoPass ? "--abr " : "-b ") + std::to_string(preset);
  for (const auto& [code, name] : kNamedPresets)
    if (code == preset) return "--preset " + std::string(name);
  return "";
}

std::optional<LameTag> ParseLameTag(std::string_view bytes) {
  if (bytes.size() < kLameTagSize) return std::nullopt;
  bool known = false;
  for (const std::string_view writer : kWriters) known = known || bytes.substr(0, writer.size()) == writer;
  if (!known) return std::nullopt;
  LameTag tag;
  tag.encoder = EncoderName(bytes);
  tag.method = ByteAt(bytes, kMethodAt) & 0x0Fu;
  // Twelve bits each: the delay, then the padding.
  const unsigned middle = ByteAt(bytes, kDelayAt + 1);
  tag.delay = (unsigned{ByteAt(bytes, kDelayAt)} << 4) | (middle >> 4);
  tag.padding = ((middle & 0x0Fu) << 8) | ByteAt(bytes, kDelayAt + 2);
  tag.preset =
      static_cast<std::uint16_t>(((ByteAt(bytes, kPresetAt) << 8) | ByteAt(bytes, kPresetAt + 1)) & 0x7FF);
  return tag;
}

}  // namespace vtinspect
