// A file on disk as a ByteSource. Only a regular file is opened: a FIFO or a
// device would block the read or never end.
#pragma once

#include <filesystem>
#include <fstream>

#include "ByteSource.h"

namespace vtinspect {

class FileBytes final : public ByteSource {
 public:
  explicit FileBytes(const std::filesystem::path& path);
  bool IsOpen() const { return open_; }
  std::uint64_t Size() const override { return size_; }
  std::string Read(std::uint64_t offset, std::size_t count) override;
  std::size_t ReadInto(std::uint64_t offset, char* out, std::size_t count) override;

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
  bool open_ = false;
};

}  // namespace vtinspect
