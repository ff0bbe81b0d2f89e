// A FileSystem that forwards every call to another one and counts the file
// operations, so a benchmark can say how many reads one GetInfo costs
// without tracing the process.
#pragma once

#include <cstdint>
#include <memory>

#include "File.h"

namespace vomtrail::bench {

struct FileCounts {
  std::uint64_t opens = 0;
  std::uint64_t sizes = 0;
  std::uint64_t reads = 0;
  std::uint64_t bytesRead = 0;
  std::uint64_t writes = 0;
  std::uint64_t bytesWritten = 0;
  std::uint64_t closes = 0;
};

class CountingFile final : public File {
 public:
  CountingFile(std::unique_ptr<File> inner, FileCounts& counts) : inner_(std::move(inner)), counts_(counts) {}

  std::int64_t Size() override {
    ++counts_.sizes;
    return inner_->Size();
  }
  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> out) override {
    ++counts_.reads;
    const std::size_t n = inner_->ReadAt(offset, out);
    counts_.bytesRead += n;
    return n;
  }
  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    ++counts_.writes;
    counts_.bytesWritten += data.size();
    inner_->WriteAt(offset, data);
  }
  void Reserve(std::int64_t offset, std::int64_t count) override { inner_->Reserve(offset, count); }
  void Truncate(std::int64_t length) override { inner_->Truncate(length); }
  void Flush() override { inner_->Flush(); }
  void ExpectUnchanged() override { inner_->ExpectUnchanged(); }
  std::unique_ptr<StandIn> NewStandIn(InPlaceReason& why) override { return inner_->NewStandIn(why); }
  void Close() override {
    ++counts_.closes;
    inner_->Close();
  }

 private:
  std::unique_ptr<File> inner_;
  FileCounts& counts_;
};

class CountingFileSystem final : public FileSystem {
 public:
  explicit CountingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::unique_ptr<File> Open(const char* path, OpenMode mode) override {
    ++counts_.opens;
    return std::make_unique<CountingFile>(inner_.Open(path, mode), counts_);
  }

  const FileCounts& Counts() const { return counts_; }
  void Reset() { counts_ = {}; }

 private:
  FileSystem& inner_;
  FileCounts counts_;
};

}  // namespace vomtrail::bench
