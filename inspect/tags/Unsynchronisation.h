// ID3v2 unsynchronisation: a writer puts a zero byte behind every 0xFF that
// is followed by a byte that could complete an MPEG sync pattern (0xE0 and
// up) or by a zero, so that no player takes tag bytes for audio. Readers
// drop the zero behind every 0xFF.
#pragma once

#include <cstdint>
#include <vector>

#include "Bytes.h"

namespace vtinspect {

// `bytes` with the zero behind every 0xFF removed. When `origins` is given,
// it receives for every output byte the offset of the input byte it came
// from, and one more entry: the input's size.
std::vector<std::uint8_t> RemoveUnsynchronisation(Bytes bytes, std::vector<std::size_t>* origins = nullptr);

// Appends `bytes` to `out` unsynchronised. A final 0xFF gets its zero too:
// whatever follows it in the tag, the zero is read away again.
void AppendUnsynchronised(Bytes bytes, std::vector<std::uint8_t>& out);

}  // namespace vtinspect
