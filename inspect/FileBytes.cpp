#include "FileBytes.h"

#include <system_error>

namespace vtinspect {

FileBytes::FileBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return;
  in_.open(path, std::ios::binary);
  open_ = static_cast<bool>(in_);
  size_ = size;
}

std::string FileBytes::Read(std::uint64_t offset, std::size_t count) {
  if (!open_ || offset >= size_) return {};
  if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
  std::string bytes(count, '\0');
  bytes.resize(ReadInto(offset, bytes.data(), count));
  return bytes;
}

std::size_t FileBytes::ReadInto(std::uint64_t offset, char* out, std::size_t count) {
  if (!open_ || offset >= size_) return 0;
  if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  in_.read(out, static_cast<std::streamsize>(count));
  return static_cast<std::size_t>(in_.gcount());
}

}  // namespace vtinspect
