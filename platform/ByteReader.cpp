#include "ByteReader.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "IoError.h"

namespace vomtrail {

ByteReader::ByteReader(File& file) : file_(file), size_(file.Size()) {}

void ByteReader::Seek(std::int64_t position) {
  if (position < 0) Fail(Win32Error::NegativeSeek);
  pos_ = position;
}

void ByteReader::FillAt(std::int64_t position) {
  const bool continuing =
      windowLength_ != 0 && position == windowStart_ + static_cast<std::int64_t>(windowLength_);
  if (continuing) windowSize_ = std::min(windowSize_ * 2, kLargestWindow);
  const std::int64_t left = size_ - position;
  const std::size_t want = std::min(windowSize_, static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
  if (windowCapacity_ < want) {
    // Past the first window, the largest at once: one block instead of a
    // chain of growing ones keeps the call's heap use small.
    grownWindow_ = std::make_unique_for_overwrite<std::byte[]>(kLargestWindow);
    window_ = grownWindow_.get();
    windowCapacity_ = kLargestWindow;
  }
  windowStart_ = position;
  windowLength_ = want == 0 ? 0 : file_.ReadAt(position, std::span(window_, want));
}

void ByteReader::FillFrom(std::int64_t position) {
  if (position < 0 || position >= size_) return;
  FillAt(position);
}

std::uint8_t ByteReader::ReadByte() {
  const std::int64_t at = pos_ - windowStart_;
  if (at < 0 || at >= static_cast<std::int64_t>(windowLength_)) {
    if (pos_ >= size_) Fail(Win32Error::HandleEof);
    FillAt(pos_);
    if (windowLength_ == 0) Fail(Win32Error::HandleEof);
  }
  const auto byte = static_cast<std::uint8_t>(window_[static_cast<std::size_t>(pos_ - windowStart_)]);
  ++pos_;
  return byte;
}

bool ByteReader::FindByte(std::uint8_t value) {
  for (;;) {
    const std::int64_t at = pos_ - windowStart_;
    if (at < 0 || at >= static_cast<std::int64_t>(windowLength_)) {
      if (pos_ >= size_) return false;
      FillAt(pos_);  // continuing where the window ended: it grows
      if (windowLength_ == 0) return false;
      continue;
    }
    const std::byte* from = window_ + at;
    const std::size_t left = windowLength_ - static_cast<std::size_t>(at);
    const void* hit = std::memchr(from, value, left);
    if (hit != nullptr) {
      pos_ += static_cast<const std::byte*>(hit) - from;
      return true;
    }
    pos_ += static_cast<std::int64_t>(left);
  }
}

std::uint32_t ByteReader::ReadLittleEndian32() {
  std::uint8_t bytes[4];
  Read(bytes);
  return LittleEndian32(bytes);
}

void ByteReader::Read(std::span<std::byte> out) {
  if (out.empty()) return;
  if (pos_ > size_ || static_cast<std::int64_t>(out.size()) > size_ - pos_) Fail(Win32Error::HandleEof);
  const std::int64_t end = pos_ + static_cast<std::int64_t>(out.size());
  const bool inWindow =
      pos_ >= windowStart_ && end <= windowStart_ + static_cast<std::int64_t>(windowLength_);
  if (!inWindow) {
    if (out.size() >= kFirstWindow) {
      // Large reads go straight into the caller's memory.
      if (file_.ReadAt(pos_, out) != out.size()) Fail(Win32Error::HandleEof);
      pos_ = end;
      return;
    }
    FillAt(pos_);
    if (static_cast<std::int64_t>(windowLength_) < static_cast<std::int64_t>(out.size()))
      Fail(Win32Error::HandleEof);
  }
  std::memcpy(out.data(), window_ + (pos_ - windowStart_), out.size());
  pos_ = end;
}

}  // namespace vomtrail
