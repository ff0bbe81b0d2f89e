#include "system/ReadOnlyFile.h"

#include <algorithm>

namespace vthost {
namespace {

// The first read near the start takes the first page: the probe, the first
// frame's header with its Xing header, and the chunks before "data" of most
// RIFF files fall into it, as into the module's first read. Later small
// reads elsewhere take a page too; a larger read is made as asked.
constexpr std::size_t kHeadWindow = 4096;
constexpr std::size_t kLeastWindow = 4096;

}  // namespace

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) {
  if (!OpenHandle(path)) stamp_.reset();
}

ReadOnlyFile::~ReadOnlyFile() { CloseHandle(); }

std::string ReadOnlyFile::Read(std::uint64_t offset, std::size_t count) {
  const std::uint64_t size = Size();
  if (offset >= size) return {};
  count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size - offset));
  if (head_.bytes.empty() && offset < kHeadWindow) head_ = {0, ReadAt(0, kHeadWindow)};
  for (const Window* window : {&head_, &last_})
    if (window->Holds(offset, count))
      return window->bytes.substr(static_cast<std::size_t>(offset - window->start), count);
  if (count >= kLeastWindow) return ReadAt(offset, count);
  last_ = {offset, ReadAt(offset, kLeastWindow)};
  return last_.bytes.substr(0, count);
}

std::size_t ReadOnlyFile::ReadInto(std::uint64_t offset, char* out, std::size_t count) {
  const std::uint64_t size = Size();
  if (offset >= size) return 0;
  count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size - offset));
  for (const Window* window : {&head_, &last_})
    if (window->Holds(offset, count)) {
      window->bytes.copy(out, count, static_cast<std::size_t>(offset - window->start));
      return count;
    }
  return ReadAt(offset, out, count);
}

std::string ReadOnlyFile::ReadAt(std::uint64_t offset, std::size_t count) {
  std::string bytes(count, '\0');
  bytes.resize(ReadAt(offset, bytes.data(), count));
  return bytes;
}

}  // namespace vthost
