// The contents of the frames the reader reads, each from its data bytes
// (frame header and flag bytes already taken off). Nothing means damaged;
// `damage` then says how.
#pragma once

#include <optional>
#include <string>

#include "Id3v2Tag.h"

namespace vtinspect {

std::optional<TextList> ParseTextFrame(Bytes data, int major, std::string& damage);
std::optional<Comment> ParseComment(Bytes data, int major, std::string& damage);
std::optional<UserText> ParseUserText(Bytes data, int major, std::string& damage);
// APIC, or in 2.2 PIC with its three-letter image format.
std::optional<Picture> ParsePicture(Bytes data, int major, std::string& damage);

Position ParsePosition(const std::string& text);

// The 2.3/2.4 id a 2.2 frame id stands for; empty for those without one.
std::string FrameIdFromV22(std::string_view id);

}  // namespace vtinspect
