// The contents of the frames the reader reads, each from its data bytes
// (frame header and flag bytes already taken off). Nothing means damaged;
// `damage` then says how.
#pragma once

#include <optional>
#include <string>

#include "Id3v2Tag.h"

namespace vtinspect {

// The text-bearing frames keep at most `max_values` values; a frame with
// more is refused with kMoreValuesThanKept as its `damage`.
inline constexpr const char* kMoreValuesThanKept = "more values than the reader keeps";
std::optional<TextList> ParseTextFrame(Bytes data, int major, std::size_t max_values, std::string& damage);
std::optional<Comment> ParseComment(Bytes data, int major, std::size_t max_values, std::string& damage);
std::optional<UserText> ParseUserText(Bytes data, int major, std::size_t max_values, std::string& damage);
// A comment's language and description alone.
std::optional<Comment> ParseCommentKey(Bytes data, int major);
// APIC, or in 2.2 PIC with its three-letter image format.
std::optional<Picture> ParsePicture(Bytes data, int major, std::string& damage);

Position ParsePosition(const std::string& text);

// The 2.3/2.4 id a 2.2 frame id stands for; empty for those without one.
std::string FrameIdFromV22(std::string_view id);

}  // namespace vtinspect
