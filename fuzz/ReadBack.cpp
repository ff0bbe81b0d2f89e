#include "ReadBack.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "ExpectedTexts.h"
#include "FuzzCheck.h"

namespace vomtrail::fuzzing {
namespace {

constexpr std::size_t kWindow = 1001;  // bytes of a RIFF file searched for INFO ids

std::string Escaped(const std::string& s) {
  std::string out;
  for (const char c : s) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
    out += c >= 0x20 && c < 0x7F ? std::string(1, c) : std::string(hex);
  }
  return out;
}

// The item must hold `text` cut to 255 bytes; shows both when not.
void ExpectText(const Str255& item, const std::string& text, const char* what) {
  const std::string cut = text.substr(0, 255);
  if (item.Length == cut.size() && std::memcmp(item.Text, cut.data(), cut.size()) == 0) return;
  std::fprintf(stderr, "read: \"%s\"\nwant: \"%s\"\n", Escaped(TextOf(item)).c_str(), Escaped(cut).c_str());
  FUZZ_CHECK(false, what);
}

bool SameItem(const Str255& a, const Str255& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

void CheckBlockTexts(const std::string& block, bool trimmed, const TagInfo& before, const TagInfo& after) {
  const auto read = [&](std::size_t at, std::size_t width) {
    const std::string field = block.substr(at, width);
    return trimmed ? ReadBackTrimmed(field) : ReadBackUntrimmed(field);
  };
  FUZZ_CHECK(after.HasTag == 1, "a written block is found");
  ExpectText(after.Items[VT_ITEM_TITLE], read(3, 30), "title reads back");
  ExpectText(after.Items[VT_ITEM_ARTIST], read(33, 30), "artist reads back");
  ExpectText(after.Items[VT_ITEM_ALBUM], read(63, 30), "album reads back");
  ExpectText(after.Items[VT_ITEM_YEAR], read(93, 4), "year reads back");
  ExpectText(after.Items[VT_ITEM_COMMENT], read(97, 30), "comment reads back");
  ExpectText(after.Items[VT_ITEM_GENRE], block.substr(127, 1), "genre reads back");
  const bool hasTrack = block[125] == '\0';
  const std::int32_t track = hasTrack ? static_cast<std::uint8_t>(block[126]) : before.Track;
  FUZZ_CHECK(after.Track == track, "track reads back");
}

namespace {

std::string TrailingBlock(const Bytes& file) { return std::string(file.end() - 128, file.end()); }

// The bytes the reader searches, zero where the file ends.
std::array<std::uint8_t, kWindow> WindowAt(const Bytes& file, std::size_t from) {
  std::array<std::uint8_t, kWindow> window{};
  for (std::size_t i = 0; i < kWindow && from + i < file.size(); ++i) window[i] = file[from + i];
  return window;
}

std::string WindowText(const std::array<std::uint8_t, kWindow>& w, std::size_t from, std::size_t count) {
  std::string s(count, '\0');
  for (std::size_t i = 0; i < count && from + i < kWindow; ++i) s[i] = static_cast<char>(w[from + i]);
  return s;
}

// True when every id occurs in the window only where the writer put it: a
// text that spells an id makes hits of its own, which the check leaves out.
bool OnlyWrittenIds(const std::array<std::uint8_t, kWindow>& w, const std::array<std::size_t, 17>& at,
                    std::size_t from) {
  // Every id starts with 'I'; a plain loop keeps this off libFuzzer's
  // memcmp hook, which would otherwise dominate the run time.
  for (std::size_t i = 0; i + 4 <= kWindow; ++i) {
    if (w[i] != 'I') continue;
    for (std::size_t k = 0; k < 17; ++k) {
      const char* id = kInfoIds[k];
      if (w[i + 1] == id[1] && w[i + 2] == id[2] && w[i + 3] == id[3] && from + i != at[k]) return false;
    }
  }
  return true;
}

// Where the reader's window starts: 21 bytes behind the data size it took,
// as if the audio began at offset 20. An RMP3 file's size stands at 16; a
// WAVE file's two bytes behind the first "d" "a" pair from offset 12, where a
// byte that breaks a pair is not taken as a new "d".
std::optional<std::size_t> ReaderWindowStart(const Bytes& file, std::uint8_t mode) {
  std::size_t sizeAt = 16;
  if (mode == 2) {
    std::size_t at = 12;
    for (;;) {
      if (at + 1 >= file.size()) return std::nullopt;
      if (file[at++] != 'd') continue;
      if (file[at++] == 'a') break;
    }
    sizeAt = at + 2;
  }
  if (sizeAt + 4 > file.size()) return std::nullopt;
  const auto audioBytes = static_cast<std::int32_t>(LittleEndian32(file.data() + sizeAt));
  const std::int64_t from = std::int64_t{audioBytes} + 21;
  if (from < 0 || from > static_cast<std::int64_t>(file.size())) return std::nullopt;
  return static_cast<std::size_t>(from);
}

void CheckRiffReadBack(const Bytes& file, const ExpectedFile& layout, std::uint8_t mode,
                       const TagInfo& before, const TagInfo& after) {
  const std::optional<std::size_t> start = ReaderWindowStart(file, mode);
  FUZZ_CHECK(start.has_value(), "a read succeeds only where a tag window exists");
  const std::size_t from = *start;
  const auto window = WindowAt(file, from);
  std::array<std::size_t, 17> at{};
  std::copy(layout.infoAt.begin(), layout.infoAt.end(), at.begin());
  at[16] = layout.iid3At;
  if (!OnlyWrittenIds(window, at, from)) return;

  // The reader copies each hit's text into one 256-byte buffer, positions 0
  // to size; what lies beyond keeps what earlier hits left there. An "IID3"
  // hit is then read as a block from the buffer's first 128 bytes, so when
  // its size byte is out of reach (size 0) the block is mostly leftovers.
  std::string buffer(256, '\0');
  for (std::size_t k = 0; k < 17; ++k) {
    const std::size_t j = at[k] - from;  // the id's first byte in the window
    if (at[k] < from || j + 4 > kWindow) {
      if (k < 16) FUZZ_CHECK(SameItem(after.Items[k], before.Items[k]), "an INFO item out of reach is kept");
      continue;
    }
    // Only the low byte of the size counts, and the byte behind the data too.
    const std::size_t size = j + 4 < kWindow ? window[j + 4] : 0;
    buffer.replace(0, size + 1, WindowText(window, j + 8, size + 1));
    ExpectText(after.Items[k], ReadBackUntrimmed(buffer.substr(0, size + 1)), "an INFO item reads back");
  }
  const std::size_t iid3 = at[16] - from;
  if (at[16] >= from && iid3 + 4 <= kWindow)
    CheckBlockTexts(buffer.substr(0, 128), false, before, after);
  else
    CheckBlockTexts(TrailingBlock(file), true, before, after);
}

}  // namespace

bool ReadAsWritten(const Bytes& file, std::uint8_t mode) {
  const auto has = [&](std::size_t at, const char* id) {
    return file.size() >= at + 4 && std::memcmp(file.data() + at, id, 4) == 0;
  };
  const bool riff = has(0, "RIFF") && (has(8, "RMP3") || has(8, "WAVE"));
  return mode == 0 ? !riff : riff;
}

void CheckReadBack(const Bytes& file, const ExpectedFile& layout, std::uint8_t mode, const TagInfo& before,
                   const TagInfo& after) {
  if (mode == 0)
    CheckBlockTexts(TrailingBlock(file), true, before, after);
  else
    CheckRiffReadBack(file, layout, mode, before, after);
}

}  // namespace vomtrail::fuzzing
