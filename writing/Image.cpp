#include "Image.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "ByteOrder.h"
#include "ByteReader.h"
#include "IoError.h"

namespace vomtrail {

void Image::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  auto grown = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  if (held_ != 0) std::memcpy(grown.get(), data_.get(), held_);
  data_ = std::move(grown);
  capacity_ = capacity;
}

ImageRun* Image::RunAt(std::size_t position) {
  for (ImageRun& run : runs_)
    if (position >= run.start && position < run.start + run.length) return &run;
  return nullptr;
}

std::span<std::uint8_t> Image::Claim(std::size_t count) {
  if (count > std::numeric_limits<std::size_t>::max() - pos_) throw std::bad_alloc();
  if (pos_ > length_) {
    // A gap between the end and the position reads as zero bytes.
    const std::size_t to = pos_;
    pos_ = length_;
    std::memset(Claim(to - length_).data(), 0, to - length_);
  }
  const std::size_t end = pos_ + count;
  if (pos_ < length_) {
    // An overwrite: it must stay within one run of new bytes, or extend the
    // last one. Old bytes kept in place are never overwritten here.
    ImageRun* run = RunAt(pos_);
    const bool isLast = run == &runs_.back();
    if (run->kept || (end > run->start + run->length && !isLast))
      throw std::logic_error("overwrite of bytes kept in place");
    if (end > length_) {
      const std::size_t more = end - length_;
      if (held_ + more > capacity_) Reserve(std::max(held_ + more, capacity_ / 2 * 3));
      held_ += more;
      run->length += more;
      length_ = end;
    }
    pos_ = end;
    return {data_.get() + run->heldAt + (end - count - run->start), count};
  }
  // An append.
  if (count == 0) return {};
  if (held_ + count > capacity_) Reserve(std::max(held_ + count, capacity_ / 2 * 3));
  if (runs_.empty() || runs_.back().kept) runs_.push_back({length_, 0, false, 0, held_});
  std::span<std::uint8_t> claimed(data_.get() + held_, count);
  runs_.back().length += count;
  held_ += count;
  pos_ = end;
  length_ = end;
  return claimed;
}

void Image::Keep(std::size_t count, std::size_t from) {
  if (pos_ != length_) throw std::logic_error("old bytes are kept only at the end");
  if (count == 0) return;
  if (runs_.empty() || !runs_.back().kept || runs_.back().from + runs_.back().length != from)
    runs_.push_back({length_, 0, true, from, 0});
  runs_.back().length += count;
  length_ += count;
  pos_ = length_;
}

void Image::Write(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  std::memcpy(Claim(bytes.size()).data(), bytes.data(), bytes.size());
}

void Image::Write(std::string_view text) {
  Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void Image::WriteByte(std::uint8_t byte) { Claim(1)[0] = byte; }

void Image::WriteLittleEndian32(std::uint32_t value) {
  std::uint8_t bytes[4];
  PutLittleEndian32(bytes, value);
  Write(bytes);
}

void CarryOver(ByteReader& source, Image& image, std::size_t count) {
  // The bytes must be in the file all the same, as a read would demand.
  if (source.Position() > source.Size() ||
      static_cast<std::int64_t>(count) > source.Size() - source.Position())
    Fail(Win32Error::HandleEof);
  image.Keep(count, static_cast<std::size_t>(source.Position()));
  source.Skip(static_cast<std::int64_t>(count));
}

}  // namespace vomtrail
