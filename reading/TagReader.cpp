#include "TagReader.h"

#include <algorithm>
#include <cstring>

#include "ByteReader.h"
#include "IdTable.h"
#include "IoError.h"
#include "Texts.h"

namespace vomtrail {

namespace {

// The fields of a 128-byte ID3v1 block: "TAG", then these.
constexpr std::int32_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93;
constexpr std::int32_t kCommentAt = 97, kTrackMarkAt = 125, kTrackAt = 126, kGenreAt = 127;

void StoreGenre(TagInfo& info, std::uint8_t genre) {
  const std::uint8_t text[1] = {genre};
  StoreText(info.Items[VT_ITEM_GENRE], text);
}

}  // namespace

SlicedText SliceText(std::span<const std::uint8_t> bytes, std::int32_t start, std::int32_t count) {
  SlicedText text;
  if (count >= 0) {
    const auto n = static_cast<std::size_t>(count) + 1;
    std::memcpy(text.bytes.data(), bytes.data() + start, n);
  }
  const auto zero = std::find(text.bytes.begin(), text.bytes.end(), std::uint8_t{0});
  text.length = static_cast<std::size_t>(zero - text.bytes.begin());
  return text;
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
    const SlicedText text = SliceText(block, start, count);
    StoreText(info.Items[item], trailer ? RightTrim(text.View()) : text.View());
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

  for (std::size_t k = 0; k < kInfoIds.size(); ++k) {
    const FourCC& id = kInfoIds[k];
    std::size_t matched = 0;
    for (std::size_t j = 0; j < last; ++j) {
      if (matched == 0) {
        // Between matches only the id's first letter can start one: jump to
        // it rather than stepping through the trailer a byte at a time.
        const void* next = std::memchr(trailer.data() + j, id[0], last - j);
        if (next == nullptr) break;
        j = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - trailer.data());
      }
      // A byte that breaks a partial match is not tried as a new start.
      matched = trailer[j] == id[matched] ? matched + 1 : 0;
      if (matched != 4) continue;
      matched = 0;
      // The low byte of the chunk size only; a size byte or text byte past
      // the trailer reads as zero.
      const std::size_t size = j + 1 < last ? trailer[j + 1] : 0;
      for (std::size_t i = 0; i <= size; ++i) {
        const std::size_t from = j + 5 + i;
        chunkText[i] = from < last ? trailer[from] : 0;
      }
      // size + 1 bytes: the text and the byte behind it.
      StoreText(info.Items[k], SliceText(chunkText, 0, static_cast<std::int32_t>(size)).View());
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
