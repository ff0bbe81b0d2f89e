// Names made from tag texts must be names every file system takes: a
// collection moves between a Linux disk, a Windows PC and a car stereo's
// FAT-formatted USB stick. So a part of a name loses what any of them
// refuses: / \ : * ? " < > | and control characters become _, spaces and
// dots at the end go (Windows drops them), a reserved device name (CON,
// NUL, COM1, ...) gets a _ behind it, an empty part or . or .. becomes _,
// and a part longer than 255 bytes is cut at a whole character, keeping its
// extension.
#pragma once

#include <string>
#include <string_view>

namespace vthost {

inline constexpr std::size_t kLongestNamePart = 255;

// One part of a path (no folder separators left in it), as UTF-8.
std::string PortableNamePart(std::string_view part, bool keepExtension);

}  // namespace vthost
