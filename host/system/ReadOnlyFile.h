// A regular file opened for reading once, for everything the command reads
// of it: its stamp comes with the open (one fstat), and its bytes through a
// window that the inspection's many small reads (chunk headers, frame
// headers, tag headers) mostly fall into. A FIFO or a device is not opened:
// reading it would block or never end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "ByteSource.h"
#include "system/FileStamp.h"

namespace vthost {

class ReadOnlyFile final : public vtinspect::ByteSource {
 public:
  explicit ReadOnlyFile(const std::filesystem::path& path);
  ~ReadOnlyFile() override;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool IsOpen() const { return stamp_.has_value(); }
  const std::optional<FileStamp>& Stamp() const { return stamp_; }
  std::uint64_t Size() const override { return stamp_ ? stamp_->size : 0; }
  std::string Read(std::uint64_t offset, std::size_t count) override;
  // Straight into the caller's buffer: a scan of the whole audio passes no
  // byte through a string.
  std::size_t ReadInto(std::uint64_t offset, char* out, std::size_t count) override;

 private:
  struct Window {
    std::uint64_t start = 0;
    std::string bytes;
    bool Holds(std::uint64_t offset, std::size_t count) const {
      return offset >= start && offset - start + count <= bytes.size();
    }
  };

  // Reads up to count bytes at offset from the system; fewer at the end.
  std::string ReadAt(std::uint64_t offset, std::size_t count);
  std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t count);
  bool OpenHandle(const std::filesystem::path& path);  // sets stamp_
  void CloseHandle();

  std::optional<FileStamp> stamp_;
  std::intptr_t handle_ = -1;
  Window head_, last_;
};

}  // namespace vthost
