// Reads pieces of a file by offset for the host's own probes. A piece may be
// shorter than asked for at the end of the file; nothing is read past it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace vthost {

class FileBytes {
 public:
  explicit FileBytes(const std::filesystem::path& path);
  bool IsOpen() const { return open_; }
  std::uint64_t Size() const { return size_; }
  // Up to `count` bytes from `offset`; fewer at the end of the file.
  std::string Read(std::uint64_t offset, std::size_t count);

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
  bool open_ = false;
};

}  // namespace vthost
