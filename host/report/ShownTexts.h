// The texts players show for a file: title, artist, album, album artist,
// date, track, disc, genre and comment, each from the first tag that has it
// in the order players prefer them (ID3v2, APEv2, ID3v1, RIFF INFO), with
// its source. The tags' own sections show everything else they hold.
#pragma once

#include <string>
#include <vector>

#include "report/FileView.h"
#include "report/Report.h"

namespace vthost {

// Texts of the ID3v1 block and of INFO are decoded from `encoding` when
// they are not UTF-8; ID3v2 and APEv2 texts are Unicode already.
std::vector<Field> ShownTextFields(const FileView& file, const std::string& encoding);

}  // namespace vthost
