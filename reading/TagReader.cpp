#include "TagReader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "ByteReader.h"
#include "IdTable.h"
#include "IoError.h"
#include "Texts.h"

namespace vomtrail {

namespace {

// The fields of a 128-byte ID3v1 block: "TAG", then these.
constexpr std::int32_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93;
constexpr std::int32_t kCommentAt = 97, kTrackMarkAt = 125, kTrackAt = 126, kGenreAt = 127;

// The ids by their second letter, as bit masks over the table: the scan
// below tries at an 'I' only the ids the next byte can continue.
constexpr std::array<std::uint32_t, 256> IdsBySecondLetter() {
  std::array<std::uint32_t, 256> ids{};
  for (std::size_t k = 0; k < kInfoIds.size(); ++k) ids[kInfoIds[k][1]] |= std::uint32_t{1} << k;
  return ids;
}
constexpr std::array<std::uint32_t, 256> kIdsBySecondLetter = IdsBySecondLetter();

constexpr bool EveryIdStartsWithI() {
  for (const FourCC& id : kInfoIds)
    if (id[0] != 'I') return false;
  return kInfoIds.size() <= 32;
}
static_assert(EveryIdStartsWithI(), "the INFO scan looks for ids at the letter I, with one mask bit each");

void StoreGenre(TagInfo& info, std::uint8_t genre) {
  const std::uint8_t text[1] = {genre};
  StoreText(info.Items[VT_ITEM_GENRE], text);
}

}  // namespace

std::span<const std::uint8_t> SliceText(std::span<const std::uint8_t> bytes, std::int32_t start,
                                        std::int32_t count) {
  if (count < 0) return {};
  const std::span<const std::uint8_t> text =
      bytes.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(count) + 1);
  const void* zero = std::memchr(text.data(), 0, text.size());
  if (zero == nullptr) return text;
  return text.first(static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - text.data()));
}

std::span<const std::uint8_t> RightTrim(std::span<const std::uint8_t> text) {
  return TrimTrailingBlanks(text);
}

namespace {

// The six items of an ID3v1 block, in the order both readers store them.
// The trailer's texts are trimmed at the end, the "IID3" body's stand as
// they are; the trailer keeps TagKind 2 (an ID3v2 tag at the start of the
// file), the "IID3" body always says which form it has.
void StoreId3v1Fields(std::span<const std::uint8_t> block, TagInfo& info, bool trailer) {
  const auto store = [&](int item, std::int32_t start, std::int32_t count) {
    const std::span<const std::uint8_t> text = SliceText(block, start, count);
    StoreText(info.Items[item], trailer ? RightTrim(text) : text);
  };
  const bool keepKind = trailer && info.TagKind == VT_TAG_ID3V2;
  info.HasTag = 1;
  if (!keepKind) info.TagKind = VT_TAG_ID3V10;
  store(VT_ITEM_TITLE, kTitleAt, 29);
  store(VT_ITEM_ARTIST, kArtistAt, 29);
  store(VT_ITEM_ALBUM, kAlbumAt, 29);
  store(VT_ITEM_YEAR, kYearAt, 3);
  if (block[kTrackMarkAt] == 0) {
    info.Track = block[kTrackAt];
    if (!keepKind) info.TagKind = VT_TAG_ID3V11;
  }
  // Bytes 97 to 126: in the ID3v1.1 form the zero at 125 ends the comment.
  store(VT_ITEM_COMMENT, kCommentAt, 29);
  StoreGenre(info, block[kGenreAt]);
}

}  // namespace

void ReadIid3Body(std::span<const std::uint8_t, 256> body, TagInfo& info) {
  StoreId3v1Fields(body, info, false);
}

bool ScanRiffInfo(std::span<const std::uint8_t> trailer, TagInfo& info) {
  for (int item = VT_ITEM_TITLE; item <= VT_ITEM_GENRE; ++item) info.Items[item].Length = 0;

  // Each hit overwrites positions 0 to its size; later positions keep what
  // earlier hits of the scan left, and the "IID3" body is read from here.
  std::array<std::uint8_t, 256> chunkText{};
  bool foundIid3 = false;
  const std::size_t last = trailer.size();  // one past the last index

  // Every id starts with an 'I'. One sweep finds each 'I'; at each, only the
  // ids whose second letter follows are tried further (most 'I's are a
  // start for one id or none), instead of a search of the trailer per id.
  // Each id keeps the scan of old: its letters are matched one byte at a
  // time, and a byte that breaks a partial match is not tried as a new
  // start, so id k's next match may begin only at or after next[k].
  std::array<std::size_t, kInfoIds.size()> next{};
  // The hits, chained per id in the order found (the first of each id in
  // firstHit, the next in Hit::next), so that they are taken id by id.
  struct Hit {
    std::size_t last;  // the position of the id's last letter
    std::size_t next;  // the id's next hit, or kNone
  };
  constexpr std::size_t kNone = SIZE_MAX;
  std::vector<Hit> hits;
  std::array<std::size_t, kInfoIds.size()> firstHit, lastHit;
  firstHit.fill(kNone);
  lastHit.fill(kNone);
  for (std::size_t from = 0; from + 1 < last;) {
    const void* found = std::memchr(trailer.data() + from, 'I', last - from);
    if (found == nullptr) break;
    const auto start = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - trailer.data());
    from = start + 1;
    if (start + 1 >= last) break;  // a partial match that runs to the end
    const std::uint8_t second = trailer[start + 1];
    // A second letter that is no id's ends every other id's partial match;
    // only a following 'I' (itself a start) is then kept from them.
    if (second == 'I')
      for (std::size_t k = 0; k < kInfoIds.size(); ++k)
        if (next[k] <= start && kInfoIds[k][1] != 'I') next[k] = start + 2;
    for (std::uint32_t ids = kIdsBySecondLetter[second]; ids != 0; ids &= ids - 1) {
      const auto k = static_cast<std::size_t>(std::countr_zero(ids));
      if (next[k] > start) continue;
      std::size_t j = start + 2;
      while (j < last && j - start < 4 && trailer[j] == kInfoIds[k][j - start]) ++j;
      if (j - start == 4) {
        next[k] = j;
        (lastHit[k] == kNone ? firstHit[k] : hits[lastHit[k]].next) = hits.size();
        lastHit[k] = hits.size();
        hits.push_back({start + 3, kNone});
      } else {
        next[k] = j >= last ? last : j + 1;  // past the byte that broke the match
      }
    }
  }

  for (std::size_t k = 0; k < kInfoIds.size(); ++k) {
    for (std::size_t hit = firstHit[k]; hit != kNone; hit = hits[hit].next) {
      const std::size_t j = hits[hit].last;
      // The low byte of the chunk size only; a size byte or text byte past
      // the trailer reads as zero.
      const std::size_t size = j + 1 < last ? trailer[j + 1] : 0;
      const std::size_t text = j + 5;
      const std::size_t inside = text < last ? std::min(size + 1, last - text) : 0;
      if (inside != 0) std::memcpy(chunkText.data(), trailer.data() + text, inside);
      std::fill(chunkText.begin() + static_cast<std::ptrdiff_t>(inside),
                chunkText.begin() + static_cast<std::ptrdiff_t>(size + 1), std::uint8_t{0});
      // size + 1 bytes: the text and the byte behind it.
      StoreText(info.Items[k], SliceText(chunkText, 0, static_cast<std::int32_t>(size)));
      if (k == VT_ITEM_IID3) {
        foundIid3 = true;
        ReadIid3Body(chunkText, info);
      }
    }
  }
  return foundIid3;
}

bool ReadRiffTags(ByteReader& reader, std::int32_t audioBytes, TagInfo& info) {
  // An RMP3 file's audio starts at 20 (the 12-byte RIFF header and the
  // 8-byte data chunk header), so 20 + the data size is the first byte
  // behind it; one more steps over the pad byte that follows odd audio (or
  // over the "L" of "LIST", which the id scan does not need). WAVE files
  // get the same sum, which is behind the audio only when their head is as
  // short; hosts built against the module read it so, and the vomtrail
  // command reaches the lists of longer heads itself.
  const std::int64_t start = std::int64_t{audioBytes} + 21;
  reader.Seek(start);
  std::array<std::uint8_t, kRiffTrailerSize> trailer{};
  const std::int64_t left = reader.Size() - start;
  const auto take = static_cast<std::size_t>(std::min<std::int64_t>(left, kRiffTrailerSize));
  if (left < 0) Fail(Win32Error::HandleEof);  // the seek went past the end
  // The ID3v1 block may be read next (when no "IID3" chunk holds it): one
  // read from the earlier of the two places fetches both.
  reader.FillFrom(std::min(start, reader.Size() - 128));
  reader.Read(std::span<std::uint8_t>(trailer.data(), take));
  return ScanRiffInfo(trailer, info);
}

std::int32_t ReadId3v1Trailer(ByteReader& reader, TagInfo& info) {
  const std::int64_t size = reader.Size();
  reader.Seek(size - 128);
  std::array<std::uint8_t, 128> block{};
  reader.Read(std::span<std::uint8_t>(block.data(), 3));
  if (std::memcmp(block.data(), "TAG", 3) != 0) {
    info.HasTag = 0;
    return static_cast<std::int32_t>(size);
  }
  // The marker alone already says there is a block: a failing read of the
  // rest leaves HasTag and TagKind saying so.
  info.HasTag = 1;
  if (info.TagKind != VT_TAG_ID3V2) info.TagKind = VT_TAG_ID3V10;
  reader.Read(std::span<std::uint8_t>(block.data() + 3, 125));
  StoreId3v1Fields(block, info, true);
  // The block and 4 bytes more: the count of audio bytes has always been
  // made so, and the frame counts hosts show follow from it (the 4 bytes
  // change a count by one frame at most).
  return static_cast<std::int32_t>(size - 132);
}

}  // namespace vomtrail
