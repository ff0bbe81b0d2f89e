// A 64-bit fingerprint of bytes, to tell whether a file holds what the
// journal last saw in it (and, after an undo, what it held before the run).
// Not a defence against someone forging a file, which the journal does not
// need: a file another program changed is all it must notice.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vthost {

class ContentHash {
 public:
  void Add(std::string_view bytes);
  std::uint64_t Value() const { return state_ ^ length_; }

 private:
  std::uint64_t state_ = 0xcbf29ce484222325ULL;  // FNV-1a's offset basis
  std::uint64_t length_ = 0;
};

// The fingerprint of `length` bytes of the file from `offset` (fewer where
// the file ends), or nothing when the file cannot be read.
std::optional<std::uint64_t> HashFileRange(const std::filesystem::path& path, std::uint64_t offset,
                                           std::uint64_t length);

// The whole file's.
std::optional<std::uint64_t> HashFile(const std::filesystem::path& path);

// "00ff..." and back, for the journal's JSON (which keeps numbers to 53 bits).
std::string HashText(std::uint64_t value);
std::optional<std::uint64_t> HashFromText(std::string_view text);

}  // namespace vthost
