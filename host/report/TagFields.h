// The tags the inspection reads beside the record, each in a section of its
// own: the ID3v2 tags at the start (one behind another when several stand
// there), an APEv2 tag and Lyrics3 blocks at the end.
#pragma once

#include <vector>

#include "report/FileView.h"
#include "report/Report.h"

namespace vthost {

// "id3v2" (whether the file starts with a tag), "id3v2_tag" (the first tag's
// version and size) and "id3v2_tags" (every tag with its contents).
std::vector<Field> Id3v2Fields(const FileView& file);
// "apev2" and "lyrics3": the blocks at the end of a bare stream.
std::vector<Field> TrailerFields(const FileView& file);

}  // namespace vthost
