// The values a pattern's fields take for one file: its tags as the record
// and the inspection show them, decoded to UTF-8, and the parts of its path.
#pragma once

#include <filesystem>
#include <string>

#include "FileProbe.h"
#include "TagInfo.h"
#include "patterns/FieldNames.h"

namespace vthost {

// A tag field comes from the ID3v1 block when the file has one and the field
// is not empty there, else from the INFO id of the same meaning (INAM for
// the title, ...), behind the audio or in the list before it. The genre is
// the name of the ID3v1 genre number where it has one; the track is there
// only for an ID3v1.1 block with a track. `recordRead` says whether GetInfo
// filled `info`; without it only INFO texts before the audio and the path
// give values.
FieldValues TagFields(const TagInfo& info, bool recordRead, const vtinspect::FileProbe& probe,
                      const std::string& encoding);

// filename "03 Song.mp3", stem "03 Song", ext "mp3", dir "music/Album" (the
// folder as given, "." for none), parent "Album" (the folder's own name,
// from the absolute path).
FieldValues PathFields(const std::filesystem::path& path);

}  // namespace vthost
