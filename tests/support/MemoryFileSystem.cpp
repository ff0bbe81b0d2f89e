#include "MemoryFileSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vomtrail::testing {
namespace {

std::string StandInPrefix(const std::string& name) { return "." + name + "."; }
bool IsStandInOf(const std::string& entry, const std::string& name) {
  const std::string prefix = StandInPrefix(name);
  return entry.size() > prefix.size() && entry.compare(0, prefix.size(), prefix) == 0 &&
         entry.ends_with(".vomtrail");
}

// Puts data at offset into bytes, as far as the disk has room: what fits is
// written, then the write fails.
void Place(MemoryFileSystem& fs, Bytes& bytes, std::int64_t offset, std::span<const std::byte> data) {
  ++fs.writes;
  fs.bytesWritten += static_cast<long>(data.size());
  const auto end = static_cast<std::int64_t>(static_cast<std::size_t>(offset) + data.size());
  const std::int64_t room = fs.diskCapacity - (fs.BytesHeld() - static_cast<std::int64_t>(bytes.size()));
  const std::int64_t fits =
      std::clamp<std::int64_t>(room - offset, 0, static_cast<std::int64_t>(data.size()));
  if (static_cast<std::int64_t>(bytes.size()) < offset + fits)
    bytes.resize(static_cast<std::size_t>(offset + fits));
  if (fits > 0) std::memcpy(bytes.data() + offset, data.data(), static_cast<std::size_t>(fits));
  if (end > room) Fail(Win32Error::DiskFull);
}

void WriteInto(MemoryFileSystem& fs, Bytes& bytes, std::int64_t offset, std::span<const std::byte> data) {
  fs.Tick();
  Place(fs, bytes, offset, data);
}

class MemoryStandIn;

class MemoryFile final : public File {
 public:
  MemoryFile(MemoryFileSystem& fs, std::string name, OpenMode mode)
      : fs_(fs), name_(std::move(name)), bytes_(&fs.files.at(name_)), mode_(mode) {
    ++fs_.openHandles;
    if (mode_ == OpenMode::ReadWriteExclusive)
      fs_.exclusiveHeld = true;
    else
      ++fs_.sharedHeld;
    size_ = static_cast<std::int64_t>(bytes_->size());
    changes_ = fs_.changesByOthers[name_];
  }
  ~MemoryFile() override { Release(); }

  std::int64_t Size() override { return size_; }

  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> out) override {
    fs_.Tick();
    ++fs_.reads;
    if (offset < 0) Fail(Win32Error::NegativeSeek);
    const auto at = static_cast<std::size_t>(offset);
    if (at >= bytes_->size()) return 0;
    const std::size_t n = std::min(out.size(), bytes_->size() - at);
    std::memcpy(out.data(), bytes_->data() + at, n);
    fs_.bytesRead += static_cast<long>(n);
    return n;
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    written_ = true;
    WriteInto(fs_, *bytes_, offset, data);
    size_ = std::max(size_, offset + static_cast<std::int64_t>(data.size()));
  }

  void Reserve(std::int64_t offset, std::int64_t count) override {
    fs_.Tick();
    const std::int64_t growth = offset + count - static_cast<std::int64_t>(bytes_->size());
    if (growth > 0 && fs_.BytesHeld() + growth > fs_.diskCapacity) Fail(Win32Error::DiskFull);
  }

  void Truncate(std::int64_t length) override {
    fs_.Tick();
    written_ = true;
    if (length > static_cast<std::int64_t>(bytes_->size()) &&
        fs_.BytesHeld() + length - static_cast<std::int64_t>(bytes_->size()) > fs_.diskCapacity)
      Fail(Win32Error::DiskFull);
    bytes_->resize(static_cast<std::size_t>(length));
    size_ = length;
  }

  void Flush() override {
    fs_.Tick();
    ++fs_.flushes;
  }

  void ExpectUnchanged() override {
    fs_.looks.push_back(fs_.operations);
    fs_.Tick();
    const bool same = static_cast<std::int64_t>(bytes_->size()) == size_ &&
                      (written_ || fs_.changesByOthers[name_] == changes_);
    if (!same) Fail(Win32Error::SharingViolation);
  }

  std::unique_ptr<StandIn> NewStandIn(InPlaceReason& why) override;

  void Close() override {
    Release();
    fs_.Tick();
  }

  MemoryFileSystem& Fs() { return fs_; }
  const std::string& Name() const { return name_; }
  Bytes& Content() { return *bytes_; }

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
  std::string name_;
  Bytes* bytes_;
  OpenMode mode_;
  std::int64_t size_ = 0;
  long changes_ = 0;
  bool written_ = false;
  bool released_ = false;
};

class MemoryStandIn final : public StandIn {
 public:
  MemoryStandIn(MemoryFile& original, std::string name) : original_(original), name_(std::move(name)) {
    original_.Fs().liveStandIns.insert(name_);
  }
  ~MemoryStandIn() override {
    MemoryFileSystem& fs = original_.Fs();
    fs.liveStandIns.erase(name_);
    if (replaced_) return;
    try {
      fs.Tick();  // a killed process removes nothing
      fs.files.erase(name_);
    } catch (...) {
      if (!fs.Killed()) ++fs.failedRemovals;
    }
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    WriteInto(original_.Fs(), Content(), offset, data);
  }

  std::int64_t CopyFromOriginal(std::int64_t from, std::int64_t to, std::int64_t count) override {
    MemoryFileSystem& fs = original_.Fs();
    if (!fs.copiesNatively) return 0;
    fs.Tick();  // before the source is looked at: another program may append now
    const Bytes& source = original_.Content();
    const std::int64_t have =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(source.size()) - from, 0, count);
    if (have == 0) return 0;
    Place(fs, Content(), to, std::as_bytes(std::span(source.data() + from, static_cast<std::size_t>(have))));
    return have;
  }

  bool Replace() override {
    MemoryFileSystem& fs = original_.Fs();
    fs.Tick();  // flush
    ++fs.flushes;
    original_.ExpectUnchanged();
    fs.Tick();  // rename
    if (fs.refusesReplace) return false;
    fs.files[original_.Name()] = std::move(Content());
    fs.files.erase(name_);
    replaced_ = true;
    ++fs.replaces;
    fs.Tick();  // the folder's flush
    ++fs.flushes;
    return true;
  }

 private:
  Bytes& Content() { return original_.Fs().files.at(name_); }

  MemoryFile& original_;
  std::string name_;
  bool replaced_ = false;
};

std::unique_ptr<StandIn> MemoryFile::NewStandIn(InPlaceReason& why) {
  if (fs_.extraLinks[name_] > 0) {
    why = InPlaceReason::HardLinks;
    return nullptr;
  }
  fs_.Tick();
  if (fs_.folderRefusesNewFiles) {
    why = InPlaceReason::FolderRefused;
    return nullptr;
  }
  for (const std::string& left : fs_.LeftStandIns())
    if (IsStandInOf(left, name_)) fs_.files.erase(left);
  char number[16];
  std::snprintf(number, sizeof number, "%08lx", ++fs_.nextStandIn);
  const std::string name = StandInPrefix(name_) + number + ".vomtrail";
  fs_.files[name];
  ++fs_.standInsMade;
  return std::make_unique<MemoryStandIn>(*this, name);
}

}  // namespace

void MemoryFileSystem::Tick() {
  if (beforeOperation) beforeOperation(operations);
  const long number = operations++;
  if (killAt >= 0 && number >= killAt) throw IoError(Win32Error::IoDevice);
  if (number == failAt) throw IoError(failCode);
}

std::int64_t MemoryFileSystem::BytesHeld() const {
  std::int64_t total = 0;
  for (const auto& [name, bytes] : files) total += static_cast<std::int64_t>(bytes.size());
  return total;
}

void MemoryFileSystem::AppendByOther(const std::string& name, const Bytes& bytes) {
  Bytes& file = files.at(name);
  file.insert(file.end(), bytes.begin(), bytes.end());
  ++changesByOthers[name];
}

std::vector<std::string> MemoryFileSystem::LeftStandIns() const {
  std::vector<std::string> left;
  for (const auto& [name, bytes] : files)
    if (name.starts_with(".") && name.ends_with(".vomtrail") && !liveStandIns.contains(name))
      left.push_back(name);
  return left;
}

std::unique_ptr<File> MemoryFileSystem::Open(const char* path, OpenMode mode) {
  Tick();
  const auto it = files.find(path);
  if (it == files.end()) Fail(Win32Error::FileNotFound);
  if (exclusiveHeld || (mode == OpenMode::ReadWriteExclusive && sharedHeld > 0))
    Fail(Win32Error::SharingViolation);
  return std::make_unique<MemoryFile>(*this, path, mode);
}

}  // namespace vomtrail::testing
