// The module as a host sees it: the exported GetInfo and SetInfo of the
// shared library, called with counted file names and a host-owned record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Vomtrail.h"

namespace vomtrail::e2e {

// GetInfo on a cleared record (what a host passes that wants empty texts
// for a file without tags). A failure leaves as the module's exception.
TagInfo ReadTagInfo(const std::string& path);

// GetInfo on a record the caller filled: what the module leaves alone shows
// as the caller's values, not as zeros that look like read ones.
TagInfo ReadTagInfoInto(const std::string& path, TagInfo info);

// A track number no file holds, for records whose Track must be seen to stay.
inline constexpr std::int32_t kUntouchedTrack = 0x5A5A;

// SetInfo; returns its result (0, or the Win32 error code).
std::int32_t WriteTagInfo(const std::string& path, TagInfo& info, std::int32_t mode);

void SetText(TagInfo& info, int item, std::string_view text);
std::string Text(const TagInfo& info, int item);

// The ID3v1 genre number, the one byte of item 22.
void SetGenre(TagInfo& info, std::uint8_t genre);
int Genre(const TagInfo& info);

// A text as the module's ID3v1 writer stores it in a field of the given
// width: cut to the width, filled with spaces. RIFF files carry the block
// as an "IID3" chunk whose texts read back exactly so, spaces included.
std::string SpaceFilled(std::string_view text, std::size_t width);

}  // namespace vomtrail::e2e
