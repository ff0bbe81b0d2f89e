// ID3v2 unsynchronisation: a writer puts a zero byte behind every 0xFF that
// is followed by a byte that could complete an MPEG sync pattern (0xE0 and
// up) or by a zero, so that no player takes tag bytes for audio. Readers
// drop the zero behind every 0xFF.
#pragma once

#include <cstdint>
#include <vector>

#include "Bytes.h"

namespace vtinspect {

// `bytes` with the zero behind every 0xFF removed. When `dropped` is given,
// it receives for every zero removed the output offset of the byte behind
// it, in rising order: output offset n stood at n plus the number of those
// entries up to n.
std::vector<std::uint8_t> RemoveUnsynchronisation(Bytes bytes, std::vector<std::uint32_t>* dropped = nullptr);

// Appends `bytes` to `out` unsynchronised. A final 0xFF gets its zero too:
// whatever follows it in the tag, the zero is read away again.
void AppendUnsynchronised(Bytes bytes, std::vector<std::uint8_t>& out);

}  // namespace vtinspect
