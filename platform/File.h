// The thin file layer. Reading and writing code sees only these two
// interfaces; the operating system's functions live behind them (PosixFile,
// Win32File), and tests, fuzzers and benchmarks put their own behind them
// (files in memory, files that fail on the k-th call, counting files).
//
// Every operation either does all it was asked or throws IoError with a
// Win32 code; nothing returns a status to be forgotten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vomtrail {

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

  // Takes the disk space for the count bytes from offset, making the file at
  // least offset + count bytes long, without changing any byte it holds;
  // throws (DiskFull) when the disk cannot hold them, leaving the old length
  // in place. Only the given range is taken: the holes of a sparse file
  // elsewhere stay holes.
  virtual void Reserve(std::int64_t offset, std::int64_t count) = 0;

  // Cuts or extends the file to exactly length bytes.
  virtual void Truncate(std::int64_t length) = 0;

  // Closes the handle; throws when the close itself fails. The destructor
  // closes silently if Close was not called.
  virtual void Close() = 0;
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

}  // namespace vomtrail
