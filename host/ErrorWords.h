// The module reports failures as Win32 codes; a person wants words.
#pragma once

#include <cstdint>
#include <string>

namespace vthost {

// What went wrong, for a file the record describes as container `fileKind`
// (the same code means "not a RIFF RMP3 file" for one and "no data chunk"
// for another). After a failed GetInfo the record holds the kind when the
// failure came after the container probe, and 0 from the cleared record
// otherwise.
std::string ErrorWords(std::uint32_t code, int fileKind);

}  // namespace vthost
