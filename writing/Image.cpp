#include "Image.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace vomtrail {

void Image::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  auto grown = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  if (length_ != 0) std::memcpy(grown.get(), data_.get(), length_);
  data_ = std::move(grown);
  capacity_ = capacity;
}

std::span<std::uint8_t> Image::Claim(std::size_t count) {
  if (count > std::numeric_limits<std::size_t>::max() - pos_) throw std::bad_alloc();
  const std::size_t end = pos_ + count;
  if (end > capacity_) Reserve(std::max(end, capacity_ / 2 * 3));
  if (pos_ > length_) std::memset(data_.get() + length_, 0, pos_ - length_);
  std::span<std::uint8_t> claimed(data_.get() + pos_, count);
  pos_ = end;
  length_ = std::max(length_, end);
  return claimed;
}

void Image::Write(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  std::memcpy(Claim(bytes.size()).data(), bytes.data(), bytes.size());
}

void Image::Write(std::string_view text) {
  Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void Image::WriteByte(std::uint8_t byte) { Claim(1)[0] = byte; }

void Image::WriteLittleEndian32(std::uint32_t value) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(value >> 16),
                                 static_cast<std::uint8_t>(value >> 24)};
  Write(bytes);
}

}  // namespace vomtrail
