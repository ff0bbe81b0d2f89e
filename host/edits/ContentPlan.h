// A file's new content as the command plans it: runs of new bytes and of
// old bytes that stay where they are or move. The platform's commit layer
// puts such a plan on the disk (system/ContentWrites.h); planning it is
// pure, so the planners are tested on bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vthost {

struct PlannedRun {
  std::uint64_t start = 0;            // offset in the new content
  std::uint64_t length = 0;           // bytes
  std::optional<std::uint64_t> from;  // old bytes: their offset in the old file
  std::string bytes;                  // new bytes: exactly `length` of them
};

using ContentPlan = std::vector<PlannedRun>;

// A RIFF size word: four bytes, least significant first.
inline std::string LittleEndianWord(std::uint64_t value) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
  return bytes;
}

inline PlannedRun OldBytes(std::uint64_t start, std::uint64_t from, std::uint64_t length) {
  return {start, length, from, {}};
}
inline PlannedRun NewBytes(std::uint64_t start, std::string bytes) {
  const std::uint64_t length = bytes.size();
  return {start, length, std::nullopt, std::move(bytes)};
}

inline std::uint64_t PlannedLength(const ContentPlan& plan) {
  return plan.empty() ? 0 : plan.back().start + plan.back().length;
}

// Whether old bytes change their offset: the write then goes through a new
// file that takes the old one's place.
inline bool MovesOldBytes(const ContentPlan& plan) {
  for (const PlannedRun& run : plan)
    if (run.from && *run.from != run.start && run.length != 0) return true;
  return false;
}

// The new bytes, or the whole file when old bytes move.
inline std::uint64_t BytesToWrite(const ContentPlan& plan) {
  if (MovesOldBytes(plan)) return PlannedLength(plan);
  std::uint64_t count = 0;
  for (const PlannedRun& run : plan)
    if (!run.from) count += run.length;
  return count;
}

}  // namespace vthost
