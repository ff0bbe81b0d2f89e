#include "Id3v1Block.h"

#include "Blanks.h"
#include "Genres.h"
#include "platform/ByteOrder.h"

namespace vtinspect {
namespace {

using vomtrail::ByteAt;

constexpr std::size_t kBlockSize = 128;
constexpr std::size_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93, kCommentAt = 97;
constexpr std::size_t kTrackMarkAt = 125, kTrackAt = 126, kGenreAt = 127;

std::string Field(std::string_view block, std::size_t at, std::size_t width) {
  std::string_view text = block.substr(at, width);
  text = text.substr(0, text.find('\0'));
  return std::string(WithoutTrailingBlanks(text));
}

}  // namespace

std::optional<Id3v1Block> ParseId3v1Block(std::string_view block) {
  if (block.size() != kBlockSize || block.substr(0, 3) != "TAG") return std::nullopt;
  Id3v1Block tag{Field(block, kTitleAt, 30),
                 Field(block, kArtistAt, 30),
                 Field(block, kAlbumAt, 30),
                 Field(block, kYearAt, 4),
                 Field(block, kCommentAt, 30),
                 std::nullopt,
                 std::nullopt};
  if (ByteAt(block, kTrackMarkAt) == 0 && ByteAt(block, kTrackAt) != 0) tag.track = ByteAt(block, kTrackAt);
  if (ByteAt(block, kGenreAt) != kNoGenre) tag.genre = ByteAt(block, kGenreAt);
  return tag;
}

}  // namespace vtinspect
