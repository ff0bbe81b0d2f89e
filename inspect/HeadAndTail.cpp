#include "HeadAndTail.h"

namespace vtinspect {

HeadAndTail::HeadAndTail(ByteSource& file, std::size_t head, std::size_t tail)
    : file_(file), size_(file.Size()) {
  if (size_ <= std::uint64_t{head} + tail) {
    head_ = file.Read(0, static_cast<std::size_t>(size_));
    return;
  }
  head_ = file.Read(0, head);
  tailStart_ = size_ - tail;
  tail_ = file.Read(tailStart_, tail);
}

std::optional<std::string_view> HeadAndTail::Held(std::uint64_t offset, std::size_t count) const {
  const std::uint64_t end = offset + count;
  if (end <= head_.size()) return std::string_view(head_).substr(static_cast<std::size_t>(offset), count);
  if (!tail_.empty() && offset >= tailStart_ && end - tailStart_ <= tail_.size())
    return std::string_view(tail_).substr(static_cast<std::size_t>(offset - tailStart_), count);
  return std::nullopt;
}

std::string HeadAndTail::Read(std::uint64_t offset, std::size_t count) {
  if (offset >= size_) return {};
  if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
  if (const auto held = Held(offset, count)) return std::string(*held);
  return file_.Read(offset, count);
}

std::size_t HeadAndTail::ReadInto(std::uint64_t offset, char* out, std::size_t count) {
  if (offset >= size_) return 0;
  if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
  if (const auto held = Held(offset, count)) return held->copy(out, count);
  return file_.ReadInto(offset, out, count);
}

}  // namespace vtinspect
