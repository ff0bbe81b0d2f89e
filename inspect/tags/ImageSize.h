// The width and height an embedded picture declares in its own header.
#pragma once

#include <cstdint>
#include <optional>

#include "Bytes.h"

namespace vtinspect {

struct ImageSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// For PNG, JPEG and GIF images; nothing for other data or a header cut short.
std::optional<ImageSize> ReadImageSize(Bytes image);

}  // namespace vtinspect
