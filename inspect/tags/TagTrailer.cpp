#include "TagTrailer.h"

#include <algorithm>
#include <optional>

#include "ApeTag.h"

namespace vtinspect {
namespace {

constexpr std::string_view kLyricsBegin = "LYRICSBEGIN";
constexpr std::string_view kLyrics1End = "LYRICSEND";
constexpr std::string_view kLyrics2End = "LYRICS200";
constexpr std::size_t kLyrics2SizeDigits = 6;
constexpr std::size_t kLyrics1MaxText = 5100;

class TailView {
 public:
  TailView(std::uint64_t file_size, Bytes tail)
      : tail_(tail.last(static_cast<std::size_t>(std::min<std::uint64_t>(tail.size(), file_size)))),
        start_(file_size - tail_.size()) {}

  // The file's bytes [begin, end), when the tail holds them.
  std::optional<Bytes> Range(std::uint64_t begin, std::uint64_t end) const {
    if (begin < start_ || end < begin || end - start_ > tail_.size()) return std::nullopt;
    return tail_.subspan(static_cast<std::size_t>(begin - start_), static_cast<std::size_t>(end - begin));
  }
  std::uint64_t Start() const { return start_; }

 private:
  Bytes tail_;
  std::uint64_t start_;
};

std::optional<TrailerBlock> Id3v1EndingAt(const TailView& view, std::uint64_t end) {
  if (end < kId3v1Size) return std::nullopt;
  const auto block = view.Range(end - kId3v1Size, end);
  if (!block || !StartsWith(*block, "TAG")) return std::nullopt;
  return TrailerBlock{TrailerKind::kId3v1, end - kId3v1Size, kId3v1Size};
}

std::optional<TrailerBlock> ApeEndingAt(const TailView& view, std::uint64_t end, bool& beyond) {
  if (end < kApeFooterSize) return std::nullopt;
  const auto bytes = view.Range(end - kApeFooterSize, end);
  const auto footer = bytes ? ParseApeFooter(*bytes) : std::nullopt;
  if (!footer || footer->IsHeader() || footer->TotalSize() > end) return std::nullopt;
  const std::uint64_t begin = end - footer->TotalSize();
  if (begin < view.Start()) beyond = true;
  return TrailerBlock{TrailerKind::kApe, begin, footer->TotalSize()};
}

// Version 2 ends in six digits, the size of the block from "LYRICSBEGIN"
// up to them, and "LYRICS200".
std::optional<TrailerBlock> Lyrics3v2EndingAt(const TailView& view, std::uint64_t end, bool& beyond) {
  const std::size_t closing = kLyrics2SizeDigits + kLyrics2End.size();
  if (end < closing) return std::nullopt;
  const auto bytes = view.Range(end - closing, end);
  if (!bytes || !StartsWith(bytes->subspan(kLyrics2SizeDigits), kLyrics2End)) return std::nullopt;
  std::uint64_t size = 0;
  for (std::size_t i = 0; i < kLyrics2SizeDigits; ++i) {
    const std::uint8_t digit = (*bytes)[i];
    if (digit < '0' || digit > '9') return std::nullopt;
    size = size * 10 + (digit - '0');
  }
  if (size < kLyricsBegin.size() || size > end - closing) return std::nullopt;
  const std::uint64_t begin = end - closing - size;
  if (const auto start = view.Range(begin, begin + kLyricsBegin.size())) {
    if (!StartsWith(*start, kLyricsBegin)) return std::nullopt;
  } else {
    beyond = true;
  }
  return TrailerBlock{TrailerKind::kLyrics3v2, begin, size + closing};
}

// Version 1 has no size: "LYRICSBEGIN", at most 5100 bytes of lyrics,
// "LYRICSEND". The lyrics may not hold "LYRICS", so the nearest
// "LYRICSBEGIN" is the one.
std::optional<TrailerBlock> Lyrics3v1EndingAt(const TailView& view, std::uint64_t end) {
  if (end < kLyricsBegin.size() + kLyrics1End.size()) return std::nullopt;
  const auto closing = view.Range(end - kLyrics1End.size(), end);
  if (!closing || !StartsWith(*closing, kLyrics1End)) return std::nullopt;
  const std::uint64_t reach =
      std::min<std::uint64_t>(end, kLyricsBegin.size() + kLyrics1MaxText + kLyrics1End.size());
  const std::uint64_t from = std::max(end - reach, view.Start());
  const auto bytes = view.Range(from, end - kLyrics1End.size());
  if (!bytes) return std::nullopt;
  const std::string_view text = AsText(*bytes);
  const std::size_t at = text.rfind(kLyricsBegin);
  if (at == std::string_view::npos) return std::nullopt;
  return TrailerBlock{TrailerKind::kLyrics3v1, from + at, end - from - at};
}

}  // namespace

Trailer FindTrailer(std::uint64_t file_size, Bytes tail) {
  const TailView view(file_size, tail);
  Trailer trailer;
  std::uint64_t end = file_size;
  bool id3v1 = false, ape = false, lyrics = false;
  // Each kind is taken once, so this ends after at most three blocks.
  for (;;) {
    std::optional<TrailerBlock> block;
    if (!id3v1 && (block = Id3v1EndingAt(view, end))) {
      id3v1 = true;
    } else if (!ape && !trailer.beyond_window && (block = ApeEndingAt(view, end, trailer.beyond_window))) {
      ape = true;
    } else if (id3v1 && !lyrics && !trailer.beyond_window &&
               ((block = Lyrics3v2EndingAt(view, end, trailer.beyond_window)) ||
                (block = Lyrics3v1EndingAt(view, end)))) {
      lyrics = true;  // a Lyrics3 block only ever stands with an ID3v1 block
    } else {
      break;
    }
    trailer.blocks.push_back(*block);
    end = block->begin;
  }
  std::reverse(trailer.blocks.begin(), trailer.blocks.end());
  trailer.audio_end = end;
  return trailer;
}

}  // namespace vtinspect
