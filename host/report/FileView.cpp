#include "report/FileView.h"

#include "Blanks.h"
#include "Genres.h"
#include "Record.h"

namespace vthost {
namespace {

std::string RecordText(const TagInfo& info, int item) {
  return std::string(vtinspect::WithoutTrailingBlanks(TextOf(info.Items[item])));
}

}  // namespace

std::optional<vtinspect::Id3v1Block> Id3v1Of(const FileView& file) {
  // The module looks for the block in the last 128 bytes only; the
  // inspection finds it in front of an APE tag too.
  const TagInfo& info = file.info;
  if (!file.recordRead || !info.HasTag) return file.inspection.id3v1;
  vtinspect::Id3v1Block block{RecordText(info, VT_ITEM_TITLE),
                              RecordText(info, VT_ITEM_ARTIST),
                              RecordText(info, VT_ITEM_ALBUM),
                              RecordText(info, VT_ITEM_YEAR),
                              RecordText(info, VT_ITEM_COMMENT),
                              std::nullopt,
                              std::nullopt};
  // GetInfo writes the track whenever the byte before it is zero; a zero
  // track is a comment padded with zeros, not track 0.
  if (info.Track != kNoTrack && info.Track != 0) block.track = info.Track;
  if (GenreNumber(info) != vtinspect::kNoGenre) block.genre = GenreNumber(info);
  return block;
}

}  // namespace vthost
