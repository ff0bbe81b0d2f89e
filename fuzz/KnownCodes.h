// The Win32 codes the module may report. Anything else from a call is a
// failure that escaped its classification.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace vomtrail::fuzzing {

inline bool IsKnownCode(std::uint32_t code) {
  constexpr std::array<std::uint32_t, 13> known = {2, 3, 5, 8, 13, 32, 38, 50, 112, 123, 131, 223, 1117};
  return std::find(known.begin(), known.end(), code) != known.end();
}

}  // namespace vomtrail::fuzzing
