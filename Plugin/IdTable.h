// The RIFF INFO ids that give Items 0 to 16 their meaning, in item order.
// The reader looks for all seventeen; the writer writes sub-chunks for the
// first sixteen and ends the list with an "IID3" chunk of its own.
#pragma once

#include <array>
#include <string_view>

namespace vomtrail {

using FourCC = std::array<unsigned char, 4>;

constexpr FourCC MakeFourCC(std::string_view s) {
  return {static_cast<unsigned char>(s[0]), static_cast<unsigned char>(s[1]),
          static_cast<unsigned char>(s[2]), static_cast<unsigned char>(s[3])};
}

inline constexpr std::array<FourCC, 17> kInfoIds = {
    MakeFourCC("INAM"), MakeFourCC("IART"), MakeFourCC("IPRD"), MakeFourCC("ICMT"), MakeFourCC("IGNR"),
    MakeFourCC("IMP3"), MakeFourCC("ICOP"), MakeFourCC("ICRD"), MakeFourCC("IENG"), MakeFourCC("ISRC"),
    MakeFourCC("ISFT"), MakeFourCC("IKEY"), MakeFourCC("ITCH"), MakeFourCC("ILYC"), MakeFourCC("ICMS"),
    MakeFourCC("IMED"), MakeFourCC("IID3")};

// The writer's sub-chunks: every id but the last.
inline constexpr std::size_t kWrittenInfoIds = 16;

}  // namespace vomtrail
