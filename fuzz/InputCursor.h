// Splits a fuzz input into its parts front to back. Past the end every byte
// reads as 0, so a short input still makes a complete (if dull) call.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vomtrail::fuzzing {

class InputCursor {
 public:
  InputCursor(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const std::uint8_t b = rest_.front();
    rest_ = rest_.subspan(1);
    return b;
  }

  std::span<const std::uint8_t> Take(std::size_t count) {
    const auto part = rest_.first(std::min(count, rest_.size()));
    rest_ = rest_.subspan(part.size());
    return part;
  }

  std::span<const std::uint8_t> Rest() { return Take(rest_.size()); }

 private:
  std::span<const std::uint8_t> rest_;
};

}  // namespace vomtrail::fuzzing
