#include "MemoryFileSystem.h"

#include <algorithm>
#include <cstring>

namespace vomtrail::testing {
namespace {

class MemoryFile final : public File {
 public:
  MemoryFile(MemoryFileSystem& fs, Bytes& bytes, OpenMode mode) : fs_(fs), bytes_(bytes), mode_(mode) {
    ++fs_.openHandles;
    if (mode_ == OpenMode::ReadWriteExclusive)
      fs_.exclusiveHeld = true;
    else
      ++fs_.sharedHeld;
  }
  ~MemoryFile() override { Release(); }

  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> out) override {
    fs_.Tick();
    ++fs_.reads;
    if (offset < 0) Fail(Win32Error::NegativeSeek);
    const auto at = static_cast<std::size_t>(offset);
    if (at >= bytes_.size()) return 0;
    const std::size_t n = std::min(out.size(), bytes_.size() - at);
    std::memcpy(out.data(), bytes_.data() + at, n);
    fs_.bytesRead += static_cast<long>(n);
    return n;
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    fs_.Tick();
    ++fs_.writes;
    fs_.bytesWritten += static_cast<long>(data.size());
    const auto end = static_cast<std::size_t>(offset) + data.size();
    if (static_cast<std::int64_t>(end) > fs_.diskCapacity) {
      // Like a real disk: what fits is written, then the write fails.
      const auto fits = static_cast<std::size_t>(std::max<std::int64_t>(fs_.diskCapacity - offset, 0));
      if (bytes_.size() < static_cast<std::size_t>(offset) + fits)
        bytes_.resize(static_cast<std::size_t>(offset) + fits);
      std::memcpy(bytes_.data() + offset, data.data(), fits);
      Fail(Win32Error::DiskFull);
    }
    if (bytes_.size() < end) bytes_.resize(end);
    std::memcpy(bytes_.data() + offset, data.data(), data.size());
  }

  void Reserve(std::int64_t offset, std::int64_t count) override {
    fs_.Tick();
    const std::int64_t length = offset + count;
    if (length > fs_.diskCapacity) Fail(Win32Error::DiskFull);
    if (static_cast<std::int64_t>(bytes_.size()) < length) bytes_.resize(static_cast<std::size_t>(length));
  }

  void Truncate(std::int64_t length) override {
    fs_.Tick();
    if (length > fs_.diskCapacity) Fail(Win32Error::DiskFull);
    bytes_.resize(static_cast<std::size_t>(length));
  }

  void Close() override {
    Release();
    fs_.Tick();
  }

 private:
  void Release() {
    if (released_) return;
    released_ = true;
    --fs_.openHandles;
    if (mode_ == OpenMode::ReadWriteExclusive)
      fs_.exclusiveHeld = false;
    else
      --fs_.sharedHeld;
  }

  MemoryFileSystem& fs_;
  Bytes& bytes_;
  OpenMode mode_;
  bool released_ = false;
};

}  // namespace

void MemoryFileSystem::Tick() {
  if (operations++ == failAt) throw IoError(failCode);
}

std::unique_ptr<File> MemoryFileSystem::Open(const char* path, OpenMode mode) {
  Tick();
  const auto it = files.find(path);
  if (it == files.end()) Fail(Win32Error::FileNotFound);
  if (exclusiveHeld || (mode == OpenMode::ReadWriteExclusive && sharedHeld > 0))
    Fail(Win32Error::SharingViolation);
  return std::make_unique<MemoryFile>(*this, it->second, mode);
}

}  // namespace vomtrail::testing
