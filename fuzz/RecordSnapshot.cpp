#include "RecordSnapshot.h"

#include <cstring>
#include <utility>

namespace vomtrail::fuzzing {
namespace {

const unsigned char* BytesOf(const TagInfo& info) { return reinterpret_cast<const unsigned char*>(&info); }

constexpr std::pair<std::size_t, std::size_t> kHostOnly[] = {
    {18, 20}, {5917, 5920}, {5926, 5928}, {VT_TAGINFO_LAST_OFFSET + 1, sizeof(TagInfo)}};

bool SameRange(const TagInfo& a, const TagInfo& b, std::size_t from, std::size_t to) {
  return std::memcmp(BytesOf(a) + from, BytesOf(b) + from, to - from) == 0;
}

}  // namespace

RecordSnapshot::RecordSnapshot(const TagInfo& info) { std::memcpy(&before_, &info, sizeof before_); }

bool RecordSnapshot::KeptHostBytes(const TagInfo& after) const {
  for (const auto& [from, to] : kHostOnly)
    if (!SameRange(before_, after, from, to)) return false;
  return true;
}

bool RecordSnapshot::Unchanged(const TagInfo& after) const {
  return SameRange(before_, after, 0, sizeof(TagInfo));
}

bool RecordSnapshot::UnchangedButSoftwareName(const TagInfo& after) const {
  const std::size_t item = offsetof(TagInfo, Items) + VT_ITEM_ISFT * sizeof(Str255);
  constexpr std::size_t nameBytes = 11;  // length byte and ten letters
  if (!SameRange(before_, after, 0, item) || !SameRange(before_, after, item + nameBytes, sizeof(TagInfo)))
    return false;
  const Str255& name = after.Items[VT_ITEM_ISFT];
  const bool isName = name.Length == 10 && std::memcmp(name.Text, "Vom Trail!", 10) == 0;
  return isName || SameRange(before_, after, item, item + nameBytes);
}

}  // namespace vomtrail::fuzzing
