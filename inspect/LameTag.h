// The extension LAME writes behind the Xing fields of its first frame (and
// ffmpeg's encoder copies): the encoder's name, how it encoded, and the
// samples it added in front of the audio (the encoder delay) and behind it
// (the padding to whole frames). A player that knows them plays exactly the
// source's samples: "gapless" playback.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vtinspect {

inline constexpr std::size_t kLameTagSize = 36;

struct LameTag {
  std::string encoder;        // "LAME3.100", "Lavc60.31", as written (9 bytes, trailing blanks off)
  int method = 0;             // 1 CBR, 2 ABR, 3 to 6 VBR, 8 CBR two-pass, 9 ABR two-pass; 0 unknown
  std::uint32_t delay = 0;    // samples
  std::uint32_t padding = 0;  // samples
  std::uint16_t preset = 0;   // LAME's preset code; 0 none

  // The encoder's options as its user gave them, as far as the preset code
  // says: "-V 2", "-b 128", "--abr 160", "--preset extreme"; empty when unknown.
  std::string Settings() const;
};

// The extension at the start of `bytes`, when its first nine bytes name an
// encoder that writes this layout (LAME, or ffmpeg's libavcodec and
// libavformat); nothing for other bytes, which other encoders leave there.
std::optional<LameTag> ParseLameTag(std::string_view bytes);

}  // namespace vtinspect
