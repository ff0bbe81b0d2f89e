// The file read back after a write and compared with what was asked for:
// the form, the audio (its size and a digest of every byte) where the
// module keeps it, the ID3v1 block and the INFO texts, and the list before
// the audio. Only a file that passes is reported written.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ByteSource.h"
#include "edits/ModuleOutput.h"

namespace vthost {

struct ExpectedFile {
  int mode = 0;  // VT_MODE_*
  std::uint64_t length = 0;
  std::uint64_t audioSize = 0;
  std::uint64_t audioDigest = 0;
  std::string id3v1Block;
  std::array<std::string, kWrittenInfoIds> infoTexts;  // RIFF output
  // The list before the audio brought in step: these ids hold infoTexts
  // there (the ids left out hold none).
  std::vector<int> headItems;
};

// A digest of `size` bytes from `offset`: equal bytes give equal digests,
// and a changed, lost or repeated byte changes it. Nothing when the file
// holds fewer bytes.
std::optional<std::uint64_t> AudioDigest(vtinspect::ByteSource& file, std::uint64_t offset,
                                         std::uint64_t size);

// What differs, in words ("the audio is 100 bytes, not 120"); empty when
// the file is what was asked for.
std::vector<std::string> Differences(vtinspect::ByteSource& file, const ExpectedFile& expected);

// The check of a file that other programs may append to: bytes added behind
// the written length after the write are not the write's, and the written
// length is checked alone.
struct WrittenCheck {
  std::vector<std::string> differences;
  std::uint64_t addedSince = 0;  // bytes behind the written length
};
WrittenCheck CheckWritten(vtinspect::ByteSource& file, const ExpectedFile& expected);

}  // namespace vthost
