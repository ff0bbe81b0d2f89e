// Tag texts and file names come from files and may hold any byte. Printed
// raw, an escape sequence in a title can drive the user's terminal and a
// newline can fake a line of the report; in JSON a name that is not UTF-8
// cannot be given back to the file system from its text alone.
#pragma once

#include <string>
#include <string_view>

namespace vthost {

// UTF-8 text with control characters (C0, DEL, C1) and bytes that are not
// UTF-8 written as \xNN (C1 characters as \u00NN).
std::string EscapeControls(std::string_view text);

// Lower-case hex of every byte, two digits each.
std::string HexBytes(std::string_view bytes);

}  // namespace vthost
