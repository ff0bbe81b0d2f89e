// The name of the new file a moving write makes beside the old one:
// ".NAME.XXXXXXXX.vomtrail", hidden (a leading dot; on Windows the hidden
// attribute too), eight random hex digits so that writers never share one,
// and the file's own name cut so that the whole stays within the 255 bytes
// a file system takes for one name. A writer that was killed leaves one
// behind; the next writer of the same file knows it by this form.
#pragma once

#include <string>
#include <string_view>

namespace vomtrail {

inline constexpr std::string_view kStandInSuffix = ".vomtrail";

// "." + the (cut) name + ".": what every stand-in of this file starts with.
std::string StandInPrefix(std::string_view name);

// The prefix, eight random hex digits and the suffix.
std::string NewStandInName(std::string_view prefix);

// Whether a folder entry is a stand-in of the file whose prefix is given.
bool IsStandInName(std::string_view entry, std::string_view prefix);

}  // namespace vomtrail
