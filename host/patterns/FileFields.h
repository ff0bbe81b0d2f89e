// The values a pattern's fields take for one file: its tags as the record
// and the inspection show them, decoded to UTF-8, and the parts of its path.
#pragma once

#include <filesystem>
#include <string>

#include "FileInspection.h"
#include "TagInfo.h"
#include "patterns/FieldNames.h"

namespace vthost {

// The tag fields are the texts players show (report/ShownTexts.h): each from
// the first of the ID3v2 tag, the APEv2 tag, the ID3v1 block and the RIFF
// INFO texts that has it; {year} is the first four digits of the date, and
// {track} the track's number. An INFO id stands for its own text, behind
// the audio or, where the module found none, in the list before it.
// `recordRead` says whether GetInfo filled `info`.
FieldValues TagFields(const TagInfo& info, bool recordRead, const vtinspect::FileInspection& inspection,
                      const std::string& encoding);

// filename "03 Song.mp3", stem "03 Song", ext "mp3", dir "music/Album" (the
// folder as given, "." for none), parent "Album" (the folder's own name,
// from the absolute path).
FieldValues PathFields(const std::filesystem::path& path);

}  // namespace vthost
