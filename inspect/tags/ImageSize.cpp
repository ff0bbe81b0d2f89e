#include "ImageSize.h"

#include <algorithm>
#include <iterator>

namespace vtinspect {
namespace {

constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The IHDR chunk must come first: its length and name, then width and
// height as 32-bit big-endian numbers.
std::optional<ImageSize> PngSize(Bytes image) {
  if (image.size() < 24 || !std::equal(std::begin(kPngSignature), std::end(kPngSignature), image.begin()) ||
      !StartsWith(image.subspan(12), "IHDR")) {
    return std::nullopt;
  }
  return ImageSize{BigEndian(image.subspan(16), 4), BigEndian(image.subspan(20), 4)};
}

std::optional<ImageSize> GifSize(Bytes image) {
  if (image.size() < 10 || !(StartsWith(image, "GIF87a") || StartsWith(image, "GIF89a"))) return std::nullopt;
  return ImageSize{static_cast<std::uint32_t>(image[6] | image[7] << 8),
                   static_cast<std::uint32_t>(image[8] | image[9] << 8)};
}

bool IsStartOfFrame(std::uint8_t marker) {
  // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the marker segments up to the start of frame, which holds the
// height before the width.
std::optional<ImageSize> JpegSize(Bytes image) {
  if (image.size() < 4 || image[0] != 0xFF || image[1] != 0xD8) return std::nullopt;
  std::size_t at = 2;
  while (at + 4 <= image.size()) {
    if (image[at] != 0xFF) return std::nullopt;
    const std::uint8_t marker = image[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a length
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end of image or scan before any frame
    const std::size_t length = BigEndian(image.subspan(at + 2), 2);
    if (length < 2) return std::nullopt;
    if (IsStartOfFrame(marker)) {
      if (length < 7 || at + 9 > image.size()) return std::nullopt;
      return ImageSize{BigEndian(image.subspan(at + 7), 2), BigEndian(image.subspan(at + 5), 2)};
    }
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ImageSize> ReadImageSize(Bytes image) {
  if (auto size = PngSize(image)) return size;
  if (auto size = JpegSize(image)) return size;
  return GifSize(image);
}

}  // namespace vtinspect
