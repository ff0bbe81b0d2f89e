#include "FrameSync.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace vtinspect {
namespace {

// Headers that must follow a header found past other bytes.
constexpr int kFollowers = 3;
// The first look covers the usual cases: junk of a few KiB, padding behind
// a tag. Only a file without a frame there is searched further.
constexpr std::size_t kFirstLook = 64 * 1024;
// Room behind the search's reach for the followers of a header near its
// end: four of the longest frame there is (MPEG-2.5 Layer II at 8000 Hz and
// 160 kbit/s, 2881 bytes).
constexpr std::size_t kFollowerRoom = 16 * 1024;

// Whether `header` at `at` in `window` (which starts at file offset `base`)
// is followed by kFollowers headers of its stream, or its frames end exactly
// at `end`. `complete` is false when the window ends before that is known.
bool Followed(std::string_view window, std::uint64_t base, std::size_t at, const FrameHeader& header,
              std::uint64_t end, bool& complete) {
  complete = true;
  FrameHeader current = header;
  std::uint64_t next = base + at;
  for (int i = 0; i < kFollowers; ++i) {
    const std::uint32_t length = FrameLength(current);
    if (length == 0) return false;
    next += length;
    if (next == end) return true;
    if (next > end) return false;
    if (next + 4 > base + window.size()) {
      complete = false;
      return false;
    }
    const auto following = DecodeFrameHeader(window.substr(static_cast<std::size_t>(next - base), 4));
    if (!following || !SameStream(header, *following)) return false;
    current = *following;
  }
  return true;
}

// Searches `window` (file offset `base`, the first frame's place) from
// `searched` on for the first header that counts; `searched` then says how
// far the search got.
std::optional<FoundFrame> Search(std::string_view window, std::uint64_t base, std::uint64_t end,
                                 std::size_t& searched) {
  const std::size_t firstNonZero = std::min(window.find_first_not_of('\0'), window.size());
  std::size_t at = searched;
  while (at + 4 <= window.size()) {
    const void* sync = std::memchr(window.data() + at, 0xFF, window.size() - at);
    if (sync == nullptr) {
      at = window.size();
      break;
    }
    at = static_cast<std::size_t>(static_cast<const char*>(sync) - window.data());
    if (at + 4 > window.size()) break;
    if (const auto header = DecodeFrameHeader(window.substr(at, 4))) {
      bool complete = true;
      if ((at != 0 && at == firstNonZero) || Followed(window, base, at, *header, end, complete))
        return FoundFrame{base + at, *header};
      if (!complete) break;  // to be decided with more bytes
    }
    ++at;
  }
  searched = at;
  return std::nullopt;
}

}  // namespace

std::optional<FoundFrame> FindFirstFrame(ByteSource& file, std::uint64_t from, std::uint64_t end) {
  if (end <= from) return std::nullopt;
  // Where the first frame belongs, a header its followers confirm is taken
  // at once; a lone one only when no confirmed header follows.
  const std::string near =
      file.Read(from, static_cast<std::size_t>(std::min<std::uint64_t>(end - from, kFollowerRoom)));
  const auto atStart = DecodeFrameHeader(near);
  bool complete = true;
  if (atStart && Followed(near, from, 0, *atStart, end, complete)) return FoundFrame{from, *atStart};
  const auto lone = [&]() -> std::optional<FoundFrame> {
    if (!atStart) return std::nullopt;
    return FoundFrame{from, *atStart};
  };

  const std::uint64_t reach = std::min(end - from, kFrameSearchLimit);
  std::string window = file.Read(from, static_cast<std::size_t>(std::min<std::uint64_t>(reach, kFirstLook)));
  std::size_t searched = 1;
  if (auto found = Search(window, from, end, searched)) return found;
  if (window.size() >= end - from || window.size() < kFirstLook) return lone();
  window = file.Read(from, static_cast<std::size_t>(std::min(end - from, reach + kFollowerRoom)));
  auto found = Search(window, from, end, searched);
  if (!found || found->offset - from >= reach) return lone();
  return found;
}

}  // namespace vtinspect
