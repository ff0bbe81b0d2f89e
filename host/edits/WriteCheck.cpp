#include "edits/WriteCheck.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Record.h"
#include "RiffChunks.h"

namespace vthost {
namespace {

constexpr std::size_t kDigestBlock = std::size_t{1} << 20;

// Four lanes of 64-bit multiply-rotate rounds over little-endian words (the
// rounds of xxHash64): fast enough to read the audio at memory speed, and
// any changed byte changes the result.
class Digest {
 public:
  void Update(std::string_view bytes) {
    total_ += bytes.size();
    std::size_t at = 0;
    while (used_ != 0 && at < bytes.size()) {
      buffer_[used_++] = static_cast<unsigned char>(bytes[at++]);
      if (used_ == sizeof buffer_) {
        Stripe(buffer_);
        used_ = 0;
      }
    }
    for (; at + sizeof buffer_ <= bytes.size(); at += sizeof buffer_) Stripe(bytes.data() + at);
    while (at < bytes.size()) buffer_[used_++] = static_cast<unsigned char>(bytes[at++]);
  }

  std::uint64_t Finish() {
    std::uint64_t hash = std::rotl(lanes_[0], 1) + std::rotl(lanes_[1], 7) + std::rotl(lanes_[2], 12) +
                         std::rotl(lanes_[3], 18) + total_;
    for (std::size_t i = 0; i < used_; ++i) hash = std::rotl(hash ^ (buffer_[i] * kPrime5), 11) * kPrime1;
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    return hash;
  }

 private:
  static constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull, kPrime2 = 0xC2B2AE3D27D4EB4Full,
                                 kPrime5 = 0x27D4EB2F165667C5ull;

  // The words in the machine's order: both digests of a check are made here.
  void Stripe(const void* bytes) {
    std::uint64_t words[4];
    std::memcpy(words, bytes, sizeof words);
    for (std::size_t lane = 0; lane < 4; ++lane)
      lanes_[lane] = std::rotl(lanes_[lane] + words[lane] * kPrime2, 31) * kPrime1;
  }

  std::uint64_t lanes_[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
  unsigned char buffer_[32] = {};
  std::size_t used_ = 0;
  std::uint64_t total_ = 0;
};

std::string_view FormWords(int mode) {
  switch (mode) {
    case VT_MODE_RMP3:
      return "a RIFF RMP3 file";
    case VT_MODE_WAVE:
      return "a RIFF WAVE file";
    default:
      return "a bare MPEG stream";
  }
}

bool HasForm(vtinspect::ByteSource& file, int mode) {
  const std::string head = file.Read(0, 12);
  const bool riff = head.size() == 12 && head.compare(0, 4, "RIFF") == 0;
  if (mode == VT_MODE_MP3) return !riff;
  return riff && head.compare(8, 4, mode == VT_MODE_RMP3 ? "RMP3" : "WAVE") == 0;
}

int KindOf(int mode) {
  return mode == VT_MODE_RMP3 ? VT_KIND_RMP3 : mode == VT_MODE_WAVE ? VT_KIND_WAVE : VT_KIND_MPEG;
}

// The last text of each id in `texts`, as the module's own read would take it.
std::optional<std::string> LastText(const std::vector<vtinspect::InfoText>& texts, std::string_view id) {
  std::optional<std::string> found;
  for (const vtinspect::InfoText& text : texts)
    if (text.id == id) found = text.bytes;
  return found;
}

std::optional<std::string> FirstText(const std::vector<vtinspect::InfoText>& texts, std::string_view id) {
  for (const vtinspect::InfoText& text : texts)
    if (text.id == id) return text.bytes;
  return std::nullopt;
}

void CheckInfo(vtinspect::ByteSource& file, const ExpectedFile& expected, std::vector<std::string>& found) {
  const vtinspect::RiffFacts facts = vtinspect::WalkRiff(file);
  std::optional<std::uint64_t> block;
  for (const vtinspect::InfoText& text : facts.tailInfo)
    if (text.id == "IID3") block = text.offset + 8;
  if (!block || file.Read(*block, kId3v1BlockSize) != expected.id3v1Block)
    found.push_back("the ID3v1 block in the IID3 chunk is not the one written");
  for (int item = 0; item < kWrittenInfoIds; ++item) {
    const std::string_view id = kInfoIds[static_cast<std::size_t>(item)].id;
    if (LastText(facts.tailInfo, id).value_or("") != expected.infoTexts[static_cast<std::size_t>(item)])
      found.push_back("the INFO " + std::string(id) + " text behind the audio is not the one written");
  }
  for (const int item : expected.headItems) {
    const std::string_view id = kInfoIds[static_cast<std::size_t>(item)].id;
    const std::string listed = FirstText(facts.headInfo, id).value_or("");
    const std::string& written = expected.infoTexts[static_cast<std::size_t>(item)];
    if (listed != written && !WholeOfCut(listed, written))
      found.push_back("the list before the audio does not hold the new " + std::string(id) + " text");
  }
}

// The first `limit` bytes of a file.
class Prefix final : public vtinspect::ByteSource {
 public:
  Prefix(vtinspect::ByteSource& file, std::uint64_t limit) : file_(file), limit_(limit) {}
  std::uint64_t Size() const override { return limit_; }
  std::string Read(std::uint64_t offset, std::size_t count) override {
    if (offset >= limit_) return {};
    return file_.Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(count, limit_ - offset)));
  }

 private:
  vtinspect::ByteSource& file_;
  std::uint64_t limit_;
};

}  // namespace

WrittenCheck CheckWritten(vtinspect::ByteSource& file, const ExpectedFile& expected) {
  if (file.Size() <= expected.length) return {Differences(file, expected), 0};
  Prefix written(file, expected.length);
  return {Differences(written, expected), file.Size() - expected.length};
}

std::optional<std::uint64_t> AudioDigest(vtinspect::ByteSource& file, std::uint64_t offset,
                                         std::uint64_t size) {
  Digest digest;
  for (std::uint64_t done = 0; done < size;) {
    const std::string block = file.Read(
        offset + done, static_cast<std::size_t>(std::min<std::uint64_t>(kDigestBlock, size - done)));
    if (block.empty()) return std::nullopt;
    digest.Update(block);
    done += block.size();
  }
  return digest.Finish();
}

std::vector<std::string> Differences(vtinspect::ByteSource& file, const ExpectedFile& expected) {
  std::vector<std::string> found;
  if (!HasForm(file, expected.mode)) {
    found.push_back("the file is not " + std::string(FormWords(expected.mode)));
    return found;
  }
  const std::optional<AudioSpan> audio = ModuleAudio(file, KindOf(expected.mode));
  if (!audio) {
    found.push_back("no audio stands where " + std::string(FormWords(expected.mode)) + " keeps it");
    return found;
  }
  if (audio->size != expected.audioSize) {
    found.push_back("the audio is " + std::to_string(audio->size) + " bytes, not " +
                    std::to_string(expected.audioSize));
  } else if (AudioDigest(file, audio->offset, audio->size) != expected.audioDigest) {
    found.push_back("the audio's bytes are not those of the file before the write");
  }
  if (expected.mode == VT_MODE_MP3) {
    if (file.Read(file.Size() - std::min<std::uint64_t>(file.Size(), kId3v1BlockSize), kId3v1BlockSize) !=
        expected.id3v1Block)
      found.push_back("the ID3v1 block at the end is not the one written");
  } else {
    CheckInfo(file, expected, found);
  }
  return found;
}

}  // namespace vthost
