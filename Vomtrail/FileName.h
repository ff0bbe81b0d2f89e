#pragma once

#include <array>

#include "TagInfo.h"

namespace vomtrail {

// The host's counted file name as a zero-terminated path of the module's
// own: 255 text bytes and the terminator at most.
using PathBuffer = std::array<char, 257>;

// Copies the length byte's worth of text and terminates it. A name that is
// empty or holds a zero byte would open some other file than the host
// named, so it fails with 123 (invalid name).
PathBuffer CopyFileName(const Str255& name);

}  // namespace vomtrail
