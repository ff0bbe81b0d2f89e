#include "Id3v2Layout.h"

#include <algorithm>

#include "Unsynchronisation.h"

namespace vtinspect {
namespace {

bool IsFrameIdByte(std::uint8_t byte) { return (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'); }

// 2.3 counts the extended header's size without its own four bytes; 2.4
// counts the whole of it, synchsafe.
std::optional<ExtendedHeader> ParseExtendedHeader(Bytes body, int major) {
  if (major == 3) {
    if (body.size() < 4) return std::nullopt;
    const std::uint32_t size = BigEndian(body, 4);
    if (size < 6 || size > body.size() - 4) return std::nullopt;
    return ExtendedHeader{4 + std::size_t{size}, (body[4] & 0x80) != 0};
  }
  if (body.size() < 6 || !IsSynchsafe(body)) return std::nullopt;
  const std::uint32_t size = Synchsafe(body);
  if (size < 6 || size > body.size()) return std::nullopt;
  return ExtendedHeader{size, (body[5] & 0x20) != 0};
}

FrameWalk Walk(Bytes body, std::size_t begin, int major, bool synchsafe_sizes) {
  const std::size_t header_size = major == 2 ? 6 : 10;
  const std::size_t id_size = major == 2 ? 3 : 4;
  FrameWalk walk;
  std::size_t at = begin;
  auto stop = [&](std::string why) {
    walk.end = at;
    walk.stopped = std::move(why);
    return walk;
  };
  while (at < body.size()) {
    if (body[at] == 0) break;  // padding
    const Bytes head = body.subspan(at);
    if (head.size() < header_size ||
        !std::all_of(head.begin(), head.begin() + static_cast<long>(id_size), IsFrameIdByte)) {
      return stop("the bytes at " + std::to_string(at + kId3v2HeaderSize) +
                  " are neither a frame nor padding");
    }
    FrameSpot frame;
    std::copy_n(head.begin(), id_size, frame.id_bytes.begin());
    frame.id_size = static_cast<std::uint8_t>(id_size);
    frame.header_size = static_cast<std::uint8_t>(header_size);
    frame.offset = static_cast<std::uint32_t>(at);
    const Bytes size_bytes = head.subspan(id_size);
    if (major == 2) {
      frame.data_size = BigEndian(size_bytes, 3);
    } else if (synchsafe_sizes) {
      if (!IsSynchsafe(size_bytes)) return stop("frame " + frame.Id() + ": its size is not synchsafe");
      frame.data_size = Synchsafe(size_bytes);
    } else {
      frame.data_size = BigEndian(size_bytes, 4);
    }
    if (major > 2) frame.flags = static_cast<std::uint16_t>(BigEndian(head.subspan(8), 2));
    if (frame.data_size > head.size() - header_size) {
      return stop("frame " + frame.Id() + ": its size, " + std::to_string(frame.data_size) +
                  " bytes, runs past the end of the tag");
    }
    at = frame.End();
    walk.frames.push_back(std::move(frame));
  }
  walk.end = std::min(at, body.size());
  return walk;
}

}  // namespace

std::optional<Id3v2Header> ParseId3v2Header(Bytes bytes) {
  if (bytes.size() < kId3v2HeaderSize || !StartsWith(bytes, "ID3")) return std::nullopt;
  if (bytes[3] == 0xFF || bytes[4] == 0xFF || !IsSynchsafe(bytes.subspan(6))) return std::nullopt;
  return Id3v2Header{bytes[3], bytes[4], bytes[5], Synchsafe(bytes.subspan(6))};
}

FrameWalk WalkFrames(Bytes body, std::size_t begin, int major) {
  FrameWalk synchsafe = Walk(body, begin, major, major == 4);
  if (major != 4 || synchsafe.stopped.empty()) return synchsafe;
  FrameWalk plain = Walk(body, begin, major, false);
  if (!plain.stopped.empty()) return synchsafe;
  plain.plain_sizes = true;
  return plain;
}

Id3v2Layout LayOutId3v2(const Id3v2Header& header, Bytes bytes) {
  Id3v2Layout layout;
  layout.header = header;
  const std::size_t behind_header = bytes.size() - kId3v2HeaderSize;
  layout.raw = bytes.subspan(kId3v2HeaderSize, std::min<std::size_t>(behind_header, header.size));
  layout.truncated = bytes.size() < header.TotalSize();
  if (header.major < 4 && header.Unsynchronised()) {
    layout.whole_tag_unsynchronised = true;
    layout.resynchronised = RemoveUnsynchronisation(layout.raw, &layout.dropped_zeros);
  }
  const Bytes body = layout.Body();
  if (header.Compressed()) {
    layout.walk.stopped = "the tag is compressed, a 2.2 scheme that was never defined";
    return layout;
  }
  if (header.HasExtendedHeader()) {
    const auto extended = ParseExtendedHeader(body, header.major);
    if (!extended) {
      layout.extended_damage = "the extended header's size does not fit the tag";
      layout.walk.stopped = layout.extended_damage;
      return layout;
    }
    layout.extended = *extended;
  }
  layout.walk = WalkFrames(body, layout.extended.size, header.major);
  return layout;
}

FrameData OpenFrame(const FrameSpot& frame, const Id3v2Layout& layout) {
  FrameData out;
  Bytes data = layout.Body().subspan(frame.offset + frame.header_size, frame.data_size);
  const int major = layout.header.major;
  const auto format = static_cast<std::uint8_t>(frame.flags & 0xFF);
  auto skip = [&](std::size_t count) {
    if (data.size() < count) {
      out.issue = FrameIssue::kDamaged;
      return;
    }
    data = data.subspan(count);
  };
  if (major == 3) {
    // 2.3 format flags: compression 0x80, encryption 0x40, grouping 0x20.
    if (format & 0x80)
      out.issue = FrameIssue::kCompressed;
    else if (format & 0x40)
      out.issue = FrameIssue::kEncrypted;
    else if (format & 0x1F)
      out.issue = FrameIssue::kUnknownFlags;
    else if (format & 0x20)
      skip(1);  // the group id
  } else if (major == 4) {
    // 2.4 format flags: grouping 0x40, compression 0x08, encryption 0x04,
    // unsynchronisation 0x02, data length indicator 0x01; the bytes they
    // add stand in that order.
    if (format & 0x08)
      out.issue = FrameIssue::kCompressed;
    else if (format & 0x04)
      out.issue = FrameIssue::kEncrypted;
    else if (format & 0xB0)
      out.issue = FrameIssue::kUnknownFlags;
    if (out.issue == FrameIssue::kNone && (format & 0x40)) skip(1);
    if (out.issue == FrameIssue::kNone && (format & 0x01)) skip(4);
    if (out.issue == FrameIssue::kNone && ((format & 0x02) || layout.header.Unsynchronised())) {
      out.unsynchronised = true;
      out.resynchronised = RemoveUnsynchronisation(data);
    }
  }
  if (out.issue == FrameIssue::kNone) out.stored = data;
  return out;
}

}  // namespace vtinspect
