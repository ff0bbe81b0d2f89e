// The whole new file an Image describes: its new bytes, and for the runs it
// keeps the bytes the old file holds where they come from.
#pragma once

#include <cstdint>
#include <vector>

#include "Image.h"

namespace vomtrail::testing {

inline std::vector<std::uint8_t> ImageBytes(const Image& image,
                                            const std::vector<std::uint8_t>& oldFile = {}) {
  std::vector<std::uint8_t> out;
  for (const ImageRun& run : image.Runs()) {
    if (run.kept) {
      const auto from = oldFile.begin() + static_cast<std::ptrdiff_t>(run.from);
      out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(run.length));
    } else {
      const auto held = image.Held(run);
      out.insert(out.end(), held.begin(), held.end());
    }
  }
  return out;
}

}  // namespace vomtrail::testing
