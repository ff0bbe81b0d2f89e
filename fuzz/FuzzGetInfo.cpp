// Reading arbitrary bytes with an arbitrary record already in place, as a
// host does with files from anywhere. Input layout:
//   byte 0  the byte the whole record is filled with before the call
//   byte 1  TagKind before the call (the reader keeps a 2)
//   byte 2  below 64: the number of the file operation that fails
//   byte 3  which known code that failure carries
//   rest    the file
// The call must end normally or with an IoError carrying a known code, must
// close the file, must not change it, and must leave the host's bytes of the
// record (gaps and tail) alone.
#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>

#include "FuzzCheck.h"
#include "GetInfo.h"
#include "InputCursor.h"
#include "IoError.h"
#include "KnownCodes.h"
#include "MemoryFileSystem.h"
#include "ReadBack.h"
#include "RecordSnapshot.h"

using namespace vomtrail;
using vomtrail::fuzzing::InputCursor;

namespace {

constexpr std::uint32_t kInjectedCodes[] = {5, 32, 38, 112, 1117};

// A file shorter than the 4-byte probe fails with 38 once Vbr is cleared;
// no other field may have been touched by then.
void CheckTooShortForProbe(const fuzzing::RecordSnapshot& before, const TagInfo& after,
                           std::optional<std::uint32_t> failure) {
  FUZZ_CHECK(failure == 38u, "a file under 4 bytes fails with 38");
  TagInfo expected;
  std::memcpy(&expected, &before.Before(), sizeof expected);
  expected.Vbr = 0;
  FUZZ_CHECK(std::memcmp(&expected, &after, sizeof expected) == 0, "only Vbr is written before the probe");
}

void CheckSuccess(const TagInfo& info, std::size_t fileSize) {
  FUZZ_CHECK(info.FileSize == static_cast<std::int32_t>(fileSize), "FileSize is the file's size");
  FUZZ_CHECK(info.FileKind <= VT_KIND_WAVE, "FileKind is 0, 1 or 2");
  FUZZ_CHECK(info.Vbr <= 1 && info.HasTag <= 1, "Vbr and HasTag are flags");
  FUZZ_CHECK(info.Vbr == 0 || (info.FrameCount >= 0 && info.Duration >= 0), "a Xing count is never negative");
}

bool Has(std::span<const std::uint8_t> file, std::size_t at, const char* id) {
  return file.size() >= at + 4 && std::memcmp(file.data() + at, id, 4) == 0;
}

// Outside a RIFF "RMP3" or "WAVE" file the texts come from the trailing
// block alone: the INFO items stay as the host left them, and the ID3v1
// items, Track and TagKind change only when the last 128 bytes start "TAG".
void CheckTrailerTags(const fuzzing::RecordSnapshot& snapshot, const TagInfo& after,
                      std::span<const std::uint8_t> file) {
  if (Has(file, 0, "RIFF") && (Has(file, 8, "RMP3") || Has(file, 8, "WAVE"))) return;
  const TagInfo& before = snapshot.Before();
  FUZZ_CHECK(std::memcmp(before.Items, after.Items, VT_INFO_ITEM_COUNT * sizeof(Str255)) == 0,
             "no INFO item is read outside a RIFF file");
  const bool id3v2 = std::memcmp(file.data(), "ID3", 3) == 0;
  const auto tail = file.last(128);
  if (std::memcmp(tail.data(), "TAG", 3) != 0) {
    FUZZ_CHECK(after.HasTag == 0, "no block, no tag");
    FUZZ_CHECK(
        std::memcmp(&before.Items[VT_ITEM_TITLE], &after.Items[VT_ITEM_TITLE], 6 * sizeof(Str255)) == 0,
        "without a block the ID3v1 items stay");
    FUZZ_CHECK(after.Track == before.Track, "without a block the track stays");
    FUZZ_CHECK(after.TagKind == (id3v2 ? VT_TAG_ID3V2 : before.TagKind), "without a block TagKind stays");
    return;
  }
  const std::string block(tail.begin(), tail.end());
  fuzzing::CheckBlockTexts(block, true, before, after);
  const std::uint8_t kind = id3v2 || before.TagKind == VT_TAG_ID3V2 ? VT_TAG_ID3V2
                            : block[125] == '\0'                    ? VT_TAG_ID3V11
                                                                    : VT_TAG_ID3V10;
  FUZZ_CHECK(after.TagKind == kind, "TagKind follows the block (a 2 stays)");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputCursor input(data, size);
  alignas(TagInfo) unsigned char storage[sizeof(TagInfo)];
  std::memset(storage, input.Byte(), sizeof storage);
  auto& info = *reinterpret_cast<TagInfo*>(storage);
  info.TagKind = input.Byte();
  const std::uint8_t faultAt = input.Byte();
  const std::uint8_t faultCode = input.Byte();
  const auto file = input.Rest();

  testing::MemoryFileSystem files;
  files.files["f"].assign(file.begin(), file.end());
  const bool injected = faultAt < 64;
  if (injected) {
    files.failAt = faultAt;
    files.failCode = kInjectedCodes[faultCode % std::size(kInjectedCodes)];
  }
  const fuzzing::RecordSnapshot before(info);

  std::optional<std::uint32_t> failure;
  try {
    GetFileInfo(files, "f", info);
  } catch (const IoError& e) {
    failure = e.Code();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "escaped: %s\n", e.what());
    FUZZ_CHECK(false, "only IoError leaves GetFileInfo");
  }

  FUZZ_CHECK(before.KeptHostBytes(info), "no write into the record's gaps or past offset 5932");
  FUZZ_CHECK(files.openHandles == 0, "the file is closed on every exit");
  FUZZ_CHECK(files.writes == 0, "reading never writes");
  FUZZ_CHECK(std::equal(file.begin(), file.end(), files.files["f"].begin(), files.files["f"].end()),
             "the file is unchanged");
  if (failure) FUZZ_CHECK(fuzzing::IsKnownCode(*failure), "a failure carries a known code");
  if (injected) return 0;
  if (file.size() < 4) CheckTooShortForProbe(before, info, failure);
  if (failure) return 0;
  CheckSuccess(info, file.size());
  CheckTrailerTags(before, info, file);
  return 0;
}
