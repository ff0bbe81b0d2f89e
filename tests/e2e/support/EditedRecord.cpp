#include "EditedRecord.h"

#include "ModuleCalls.h"

namespace vomtrail::e2e {

void EditRecord(TagInfo& info) {
  SetText(info, VT_ITEM_TITLE, kEditedTitle);
  SetText(info, VT_ITEM_ARTIST, kEditedArtist);
  SetText(info, VT_ITEM_ALBUM, kEditedAlbum);
  SetText(info, VT_ITEM_YEAR, kEditedYear);
  SetText(info, VT_ITEM_COMMENT, kEditedComment);
  SetGenre(info, kEditedGenre);
  info.Track = kEditedTrack;
  // An ID3v2 tag in front stays the kind; the block gets its track either
  // way only when the kind is 1, so a file read as ID3v1.0 becomes 1.1.
  if (info.TagKind != VT_TAG_ID3V2) info.TagKind = VT_TAG_ID3V11;
  SetText(info, 0, kEditedInfoName);     // INAM
  SetText(info, 1, kEditedInfoArtist);   // IART
  SetText(info, 3, kEditedInfoComment);  // ICMT
}

}  // namespace vomtrail::e2e
