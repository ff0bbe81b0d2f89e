// The tag readers and the ID3v2 editor on any bytes. Input layout:
//   byte 0  which texts the editor changes (one bit per field)
//   byte 1  which new texts it writes (picks from a few kinds of text)
//   byte 2  how much larger than the input the file is, in KiB, for the
//           trailer finder (the input is then only the file's last bytes)
//   rest    the bytes: an ID3v2 tag's for the reader and the editor, a
//           file's last bytes for the trailer finder
// Promises: nothing is read outside the bytes (the sanitizers watch);
// stacked tags advance; trailer blocks tile the end of the file; a refused
// edit returns no bytes; an accepted one reads back with the new texts and
// every other frame's stored bytes in their order.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "tags/ApeTag.h"
#include "tags/Id3v2Editor.h"
#include "tags/Id3v2Tag.h"
#include "tags/TagTrailer.h"

using namespace vtinspect;

namespace {

constexpr std::size_t kInputHeader = 3;

void CheckStack(Bytes bytes) {
  for (const Id3v2Tag& tag : ReadId3v2Stack(bytes)) {
    FUZZ_CHECK(tag.total_size >= kId3v2HeaderSize, "a tag is at least its header");
    FUZZ_CHECK(tag.frame_count <= bytes.size() / 6, "no more frames than the bytes can hold");
  }
}

void CheckTrailer(Bytes tail, std::uint64_t file_size) {
  const Trailer trailer = FindTrailer(file_size, tail);
  std::uint64_t at = trailer.audio_end;
  for (const TrailerBlock& block : trailer.blocks) {
    FUZZ_CHECK(block.begin == at && block.size > 0, "the blocks follow one another from the audio's end");
    at += block.size;
    if (block.kind == TrailerKind::kApe && !trailer.beyond_window) {
      const std::uint64_t window_start = file_size - tail.size();
      const ApeTag ape = ReadApeTagEndingAt(tail, static_cast<std::size_t>(at - window_start));
      FUZZ_CHECK(ape.found && ape.size == block.size, "the APE tag found is the one read");
    }
  }
  FUZZ_CHECK(at == file_size, "the blocks end the file");
  (void)ReadApeTagAt(tail, 0);
}

std::string NewText(std::uint8_t choice, TextField field) {
  if (field == TextField::kYear) return choice % 3 == 0 ? "" : choice % 3 == 1 ? "2024" : "1999";
  static const std::array<std::string, 6> kTexts = {
      "", "New", "Caf\u00E9 \u00FF\u00E0", "\u65E5\u672C", std::string(300, 'x'), "\U0001F600"};
  return kTexts[choice % kTexts.size()];
}

// A tag's frames: id and bytes, in order, as the tag holds them once a tag
// unsynchronised as a whole has its escape zeros taken out (a frame that
// ends in 0xFF gets one behind it when it comes to stand before the
// padding: a change of the tag's bytes, not of the frame's).
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> StoredFrames(Bytes tag) {
  const Id3v2Layout layout = LayOutId3v2(*ParseId3v2Header(tag), tag);
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> frames;
  for (const FrameSpot& frame : layout.walk.frames) {
    const Bytes stored = layout.Body().subspan(frame.offset, frame.End() - frame.offset);
    frames.emplace_back(frame.Id(), std::vector<std::uint8_t>(stored.begin(), stored.end()));
  }
  return frames;
}

void CheckEditor(Bytes tag, std::uint8_t fields, std::uint8_t texts) {
  std::vector<TextEdit> edits;
  for (int field = 0; field < 7; ++field) {
    if (fields & (1 << field)) {
      edits.push_back({static_cast<TextField>(field),
                       NewText(static_cast<std::uint8_t>(texts + field), static_cast<TextField>(field))});
    }
  }
  const std::vector<std::uint8_t> before(tag.begin(), tag.end());
  const Id3v2Rewrite result = EditId3v2Texts(tag, edits);
  FUZZ_CHECK(std::equal(before.begin(), before.end(), tag.begin(), tag.end()), "the input is left alone");
  if (result.Refused()) {
    FUZZ_CHECK(result.tag.empty(), "a refused edit gives no bytes");
    return;
  }
  const auto header = ParseId3v2Header(tag);
  const Id3v2Tag read = ReadId3v2(result.tag);
  FUZZ_CHECK(read.status == Id3v2Status::kRead && read.header.major == header->major,
             "the result is a tag of the same version");
  FUZZ_CHECK(read.total_size == result.tag.size() && !read.truncated, "the result is one whole tag");
  FUZZ_CHECK(result.tag.size() == header->TotalSize() || read.padding == kGrowthPadding,
             "the tag keeps its length or grows with the growth padding");
  for (const TextEdit& edit : edits) {
    const std::vector<std::string> value =
        edit.value.empty() ? std::vector<std::string>{} : std::vector<std::string>{edit.value};
    switch (edit.field) {
      case TextField::kTitle:
        FUZZ_CHECK(read.title == value, "the new title reads back");
        break;
      case TextField::kArtist:
        FUZZ_CHECK(read.artist == value, "the new artist reads back");
        break;
      case TextField::kAlbum:
        FUZZ_CHECK(read.album == value, "the new album reads back");
        break;
      case TextField::kGenre:
        FUZZ_CHECK(read.genre_text == value, "the new genre reads back");
        break;
      case TextField::kTrack:
        FUZZ_CHECK(read.track.text == edit.value, "the new track reads back");
        break;
      case TextField::kYear:
        FUZZ_CHECK(read.date.rfind(edit.value, 0) == 0, "the new year reads back");
        break;
      case TextField::kComment:
        FUZZ_CHECK(edit.value.empty() || std::any_of(read.comments.begin(), read.comments.end(),
                                                     [&](const Comment& c) {
                                                       return c.language == "eng" && c.description.empty() &&
                                                              c.text == value;
                                                     }),
                   "the new comment reads back");
        break;
    }
  }
  // Every frame of an id not edited keeps its stored bytes and order.
  static const std::array<std::array<const char*, 7>, 3> kIds = {
      {{"TT2", "TP1", "TAL", "TYE", "COM", "TRK", "TCO"},
       {"TIT2", "TPE1", "TALB", "TYER", "COMM", "TRCK", "TCON"},
       {"TIT2", "TPE1", "TALB", "TDRC", "COMM", "TRCK", "TCON"}}};
  // A year edit also rewrites the other version's date frame.
  auto edited = [&](const std::string& id) {
    return std::any_of(edits.begin(), edits.end(), [&](const TextEdit& edit) {
      return id == kIds[static_cast<std::size_t>(header->major - 2)][static_cast<std::size_t>(edit.field)] ||
             (edit.field == TextField::kYear && header->major > 2 && (id == "TDRC" || id == "TYER"));
    });
  };
  auto kept = [&](Bytes bytes) {
    auto frames = StoredFrames(bytes);
    frames.erase(std::remove_if(frames.begin(), frames.end(), [&](const auto& f) { return edited(f.first); }),
                 frames.end());
    return frames;
  };
  FUZZ_CHECK(kept(tag.first(header->TotalSize())) == kept(result.tag),
             "the other frames keep their bytes and order");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kInputHeader) return 0;
  const Bytes bytes(data + kInputHeader, size - kInputHeader);
  CheckStack(bytes);
  CheckTrailer(bytes, bytes.size() + std::uint64_t{data[2]} * 1024);
  CheckEditor(bytes, data[0], data[1]);
  return 0;
}
