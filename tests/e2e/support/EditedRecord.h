// The edit a user makes in the host between GetInfo and SetInfo: new ID3v1
// texts, track and genre, and new RIFF INFO texts.
#pragma once

#include "Vomtrail.h"

namespace vomtrail::e2e {

// The texts EditRecord writes.
inline constexpr const char* kEditedTitle = "Edited Title";
inline constexpr const char* kEditedArtist = "Edited Artist";
inline constexpr const char* kEditedAlbum = "Edited Album";
inline constexpr const char* kEditedYear = "2024";
inline constexpr const char* kEditedComment = "edited comment";
inline constexpr int kEditedTrack = 9;
inline constexpr int kEditedGenre = 52;
inline constexpr const char* kEditedInfoName = "Info Name";
inline constexpr const char* kEditedInfoArtist = "Info Artist";
inline constexpr const char* kEditedInfoComment = "Info Comment";

// Sets the ID3v1 items, the track (as the ID3v1.1 form) and the genre, and
// INAM, IART and ICMT of the INFO items.
void EditRecord(TagInfo& info);

}  // namespace vomtrail::e2e
