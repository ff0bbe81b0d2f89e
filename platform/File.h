// The thin file layer. Reading and writing code sees only these interfaces;
// the operating system's functions live behind them (PosixFile, Win32File),
// and tests, fuzzers and benchmarks put their own behind them (files in
// memory, files that fail on the k-th call, counting files).
//
// Every operation either does all it was asked or throws IoError with a
// Win32 code; nothing returns a status to be forgotten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vomtrail {

// Why new content goes over a file's own bytes instead of into a new file
// that takes its place.
enum class InPlaceReason {
  None,               // a new file can stand in for this one
  HardLinks,          // the file has more names than one; a new file would part them
  FolderRefused,      // the folder does not let the caller add or rename files
  OwnerNotKept,       // a new file could not have the file's owner and group
  AttributesNotKept,  // nor its mode, extended attributes or ACLs
  ReplaceRefused,     // the file system refused to put a new file in its place
};

// A short English phrase for a reason, for hosts to show.
const char* Describe(InPlaceReason reason);

class StandIn;

class File {
 public:
  virtual ~File() = default;

  // The size in bytes, as it was when the file was opened or last changed
  // through this handle.
  virtual std::int64_t Size() = 0;

  // Reads up to out.size() bytes from offset. Returns the count read, which
  // is smaller only where the file ends. Offset must be 0 or more.
  virtual std::size_t ReadAt(std::int64_t offset, std::span<std::byte> out) = 0;

  // Writes all of data at offset, or throws.
  virtual void WriteAt(std::int64_t offset, std::span<const std::byte> data) = 0;

  // Takes the disk space for the count bytes from offset without changing
  // the file's length or any byte it holds; throws (DiskFull) when the disk
  // cannot hold them. Only the given range is taken: the holes of a sparse
  // file elsewhere stay holes. Where the system cannot take space ahead,
  // it at least refuses what plainly cannot fit.
  virtual void Reserve(std::int64_t offset, std::int64_t count) = 0;

  // Cuts or extends the file to exactly length bytes.
  virtual void Truncate(std::int64_t length) = 0;

  // Returns once everything written through this handle is on the disk.
  virtual void Flush() = 0;

  // Throws SharingViolation (32) when the file is no longer as this handle
  // knows it: another program changed its length, or changed it at all
  // before this handle wrote to it.
  virtual void ExpectUnchanged() = 0;

  // An empty new file beside this one that can later take its place, or
  // nullptr, with why set, when a new file cannot stand in for this one.
  // Only for a handle opened ReadWriteExclusive.
  virtual std::unique_ptr<StandIn> NewStandIn(InPlaceReason& why) = 0;

  // Closes the handle; throws when the close itself fails. The destructor
  // closes silently if Close was not called.
  virtual void Close() = 0;
};

// A new file being filled with a file's new content, beside the original,
// which stays locked and untouched meanwhile. Destroyed before Replace
// succeeded, it removes itself: the original stays exactly as it was.
class StandIn {
 public:
  virtual ~StandIn() = default;

  virtual void WriteAt(std::int64_t offset, std::span<const std::byte> data) = 0;

  // Copies count bytes of the original, from offset from, to offset to of
  // this file by the system's own means, without passing them through the
  // caller's memory. Returns how many it copied: fewer, 0 included, where
  // the system has no such means, and the caller copies the rest.
  virtual std::int64_t CopyFromOriginal(std::int64_t from, std::int64_t to, std::int64_t count) = 0;

  // Flushes this file, checks that the original is unchanged (throws 32
  // when not), gives this file the original's owner, mode, attributes and
  // ACLs where it has not got them yet, and puts it in the original's place
  // in one step; then flushes the folder. Returns false, with the original
  // as it was, when the system refuses the replace itself: the caller may
  // then write in place.
  virtual bool Replace() = 0;

  // Asks Replace to keep the original under `name` (a path beside it)
  // rather than let it go: the original gets that second name right before
  // the new file takes its place, and loses it again when the replace
  // fails. False where the system has no way to do so.
  virtual bool KeepOriginalAs(const char* name) {
    (void)name;
    return false;
  }
};

enum class OpenMode {
  // Existing file, read only; other readers and writers may hold it too.
  ReadShared,
  // Existing file, read and write; nobody else may hold it meanwhile.
  ReadWriteExclusive,
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // path is a zero-terminated ANSI path, passed unchanged to the system.
  virtual std::unique_ptr<File> Open(const char* path, OpenMode mode) = 0;
};

// The operating system's files (POSIX or Win32, chosen at build time).
FileSystem& NativeFileSystem();

// How new content that moves a file's audio would reach the file at path:
// through a new file (InPlaceReason::None) or in place, and why. Looks,
// changes nothing; a write can still meet a refusal the look could not
// foresee (an attribute the folder's file system cannot hold, say).
InPlaceReason MovingWriteWay(const char* path);

}  // namespace vomtrail
