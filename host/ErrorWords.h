// The module reports failures as Win32 codes; a person wants words.
#pragma once

#include <cstdint>
#include <string>

namespace vthost {

// What went wrong, for a file the record describes as container `fileKind`
// (the same code means "not a RIFF RMP3 file" for one and "no data chunk"
// for another). `fileKind` is -1 when GetInfo itself failed.
std::string ErrorWords(std::uint32_t code, int fileKind);

}  // namespace vthost
