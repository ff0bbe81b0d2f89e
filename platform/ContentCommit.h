// The one way new content reaches a file that already exists.
//
// The content is described as runs: new bytes held in memory, and old bytes
// of the file that go from one offset to another (or stay at their own).
//
// When old bytes move, the new content is written into a new file beside
// the old one, streamed from the old file, flushed, and put in its place in
// one step: until that step the old file is untouched, so an interruption
// at any moment leaves the old file or the new one, never a mix. Where no
// new file can stand in for the old one (hard links, a folder the caller
// may not write), the content is moved within the file as before.
//
// When every old byte stays where it is, only the new bytes are written,
// in an order that keeps the file readable at every step: space is taken
// first without changing the length, the tail goes before the head (a RIFF
// size word is the last write), a shorter file is cut after its new tail
// stands, and the file is flushed before success. A failure after the
// first write puts the old bytes back.
#pragma once

#include <cstdint>
#include <span>

#include "File.h"

namespace vomtrail {

struct ContentRun {
  std::int64_t start = 0;            // offset in the new content
  std::int64_t length = 0;           // bytes
  std::int64_t from = -1;            // old bytes: their offset in the old file; -1 for new bytes
  std::span<const std::byte> bytes;  // new bytes: exactly length of them

  bool IsNew() const { return from < 0; }
};

enum class CommitWay {
  NewFile,       // a new file took the old one's place
  InPlace,       // only new bytes were written, over the file's own
  MovedInPlace,  // old bytes were moved within the file (no new file possible)
};

// Writes the content over the open file, whose runs follow each other from
// offset 0 and whose old bytes all lie inside the file. Throws on failure,
// with the file as it was: only a move within the file (MovedInPlace) can
// leave it changed.
//
// With `keepOldAs`, the content goes into a new file and the old file stays
// under that name (a backup that is the old file itself, no copy); where no
// new file can take the old one's place, or the name cannot be given, the
// call fails with NotSupported (50) and changes nothing.
CommitWay CommitContent(File& file, std::span<const ContentRun> runs, const char* keepOldAs = nullptr);

}  // namespace vomtrail
