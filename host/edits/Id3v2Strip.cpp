#include "edits/Id3v2Strip.h"

#include <algorithm>
#include <string>

#include "tags/Id3v2Layout.h"

namespace vthost {
namespace {

constexpr std::size_t kZeroWindow = 64 * 1024;  // padding behind a tag that its size does not count

}  // namespace

std::uint64_t LeadingTagSize(vtinspect::ByteSource& file, const AudioSpan& audio) {
  std::uint64_t cut = 0;
  for (;;) {
    const std::string header = file.Read(audio.offset + cut, vtinspect::kId3v2HeaderSize);
    const auto tag = vtinspect::ParseId3v2Header(
        vtinspect::Bytes(reinterpret_cast<const std::uint8_t*>(header.data()), header.size()));
    if (!tag || cut + tag->TotalSize() > audio.size) break;
    cut += tag->TotalSize();
  }
  if (cut == 0) return 0;
  const std::string behind = file.Read(audio.offset + cut, kZeroWindow);
  const std::size_t zeros = std::min(behind.find_first_not_of('\0'), behind.size());
  return std::min(cut + zeros, audio.size);
}

ContentPlan PlanDataCut(std::uint32_t riffSize, const AudioSpan& data, std::uint64_t fileSize,
                        std::uint64_t cut) {
  const std::uint64_t oldPad = data.size % 2;
  const std::uint64_t newSize = data.size - cut;
  const std::uint64_t newPad = newSize % 2;
  const std::uint64_t behind = std::min(data.offset + data.size + oldPad, fileSize);
  const std::uint64_t newRiffSize = riffSize - cut - oldPad + newPad;
  ContentPlan plan = {OldBytes(0, 0, 4), NewBytes(4, LittleEndianWord(newRiffSize)),
                      OldBytes(8, 8, data.offset - 12), NewBytes(data.offset - 4, LittleEndianWord(newSize)),
                      OldBytes(data.offset, data.offset + cut, newSize)};
  std::uint64_t at = data.offset + newSize;
  if (newPad != 0) plan.push_back(NewBytes(at++, std::string(1, '\0')));
  if (behind < fileSize) plan.push_back(OldBytes(at, behind, fileSize - behind));
  return plan;
}

}  // namespace vthost
