#include "Id3v2Editor.h"

#include <algorithm>
#include <array>
#include <optional>

#include "Id3v2Frames.h"
#include "Id3v2Layout.h"
#include "TextCodec.h"
#include "Unsynchronisation.h"

namespace vtinspect {
namespace {

constexpr std::size_t kFieldCount = 7;
// The largest tag body a synchsafe size can state.
constexpr std::size_t kLargestBody = 0x0FFFFFFF;

std::string FrameId(TextField field, int major) {
  static constexpr std::array<std::array<std::string_view, kFieldCount>, 3> kIds = {{
      {"TT2", "TP1", "TAL", "TYE", "COM", "TRK", "TCO"},
      {"TIT2", "TPE1", "TALB", "TYER", "COMM", "TRCK", "TCON"},
      {"TIT2", "TPE1", "TALB", "TDRC", "COMM", "TRCK", "TCON"},
  }};
  return std::string(kIds[static_cast<std::size_t>(major - 2)][static_cast<std::size_t>(field)]);
}

std::string_view FieldName(TextField field) {
  static constexpr std::array<std::string_view, kFieldCount> kNames = {"title",   "artist", "album", "year",
                                                                       "comment", "track",  "genre"};
  return kNames[static_cast<std::size_t>(field)];
}

std::optional<std::string> EditProblem(const TextEdit& edit, int major) {
  if (!IsValidUtf8(edit.value))
    return "the new " + std::string(FieldName(edit.field)) + " is not valid UTF-8";
  if (edit.field == TextField::kYear && !edit.value.empty()) {
    if (major < 4 && (edit.value.size() != 4 || !IsId3v2Timestamp(edit.value))) {
      return "the year of a 2." + std::to_string(major) + " tag has four digits";
    }
    if (major == 4 && !IsId3v2Timestamp(edit.value)) return "the date is not of the form yyyy-MM-ddTHH:mm:ss";
  }
  return std::nullopt;
}

class FrameWriter {
 public:
  FrameWriter(int major, bool plain_sizes) : major_(major), plain_sizes_(plain_sizes) {}

  std::optional<std::vector<std::uint8_t>> Build(TextField field, const std::string& id,
                                                 std::string_view value) const {
    const TextEncoding encoding = FitsLatin1(value) ? TextEncoding::kLatin1
                                  : major_ == 4     ? TextEncoding::kUtf8
                                                    : TextEncoding::kUtf16;
    std::vector<std::uint8_t> data{static_cast<std::uint8_t>(encoding)};
    if (field == TextField::kComment) {
      data.insert(data.end(), {'e', 'n', 'g'});
      // An empty description, terminated; UTF-16 strings carry their byte order mark.
      const auto description = EncodeText(encoding, "");
      data.insert(data.end(), description.begin(), description.end());
      data.resize(data.size() + TerminatorSize(encoding), 0);
    }
    const auto text = EncodeText(encoding, value);
    data.insert(data.end(), text.begin(), text.end());
    return Frame(id, data);
  }

 private:
  std::optional<std::vector<std::uint8_t>> Frame(const std::string& id,
                                                 const std::vector<std::uint8_t>& data) const {
    const std::size_t size = data.size();
    std::vector<std::uint8_t> frame(id.begin(), id.end());
    auto put = [&frame, size](int shift, std::uint32_t mask) {
      frame.push_back(static_cast<std::uint8_t>(size >> shift & mask));
    };
    if (major_ == 2) {
      if (size > 0xFFFFFF) return std::nullopt;
      put(16, 0xFF), put(8, 0xFF), put(0, 0xFF);
    } else if (major_ == 4 && !plain_sizes_) {
      if (size > kLargestBody) return std::nullopt;
      put(21, 0x7F), put(14, 0x7F), put(7, 0x7F), put(0, 0x7F);
    } else {
      if (size > 0xFFFFFFFF) return std::nullopt;
      put(24, 0xFF), put(16, 0xFF), put(8, 0xFF), put(0, 0xFF);
    }
    if (major_ > 2) frame.insert(frame.end(), {0, 0});
    frame.insert(frame.end(), data.begin(), data.end());
    return frame;
  }

  int major_;
  bool plain_sizes_;
};

Id3v2Rewrite Refuse(std::string why) { return Id3v2Rewrite{{}, std::move(why)}; }

std::optional<std::string> HeaderProblem(Bytes tag, const Id3v2Header& header) {
  if (header.major < 2 || header.major > 4) {
    return "ID3v2." + std::to_string(header.major) + " is a version this editor does not know";
  }
  if (tag.size() < header.TotalSize()) return "the bytes end inside the tag";
  if (header.Compressed()) return "the 2.2 tag is compressed";
  if (header.major == 4 && header.Unsynchronised()) return "the 2.4 tag is unsynchronised as a whole";
  if (header.HasFooter()) return "the tag has a footer";
  return std::nullopt;
}

std::optional<std::string> LayoutProblem(const Id3v2Layout& layout) {
  if (!layout.extended_damage.empty()) return layout.extended_damage;
  if (layout.extended.has_crc) return "the extended header holds a CRC of the frames";
  // Its padding size would change, and unsynchronisation could change its length with it.
  if (layout.extended.size > 0 && layout.whole_tag_unsynchronised) {
    return "the tag is unsynchronised as a whole and has an extended header";
  }
  if (!layout.walk.stopped.empty()) return "the frames cannot be walked: " + layout.walk.stopped;
  const Bytes padding = layout.Body().subspan(layout.walk.end);
  if (std::any_of(padding.begin(), padding.end(), [](std::uint8_t byte) { return byte != 0; })) {
    return "bytes that are not zero follow the last frame, where the padding should be";
  }
  for (const FrameSpot& frame : layout.walk.frames) {
    const FrameIssue issue = OpenFrame(frame, layout).issue;
    if (issue == FrameIssue::kCompressed) return "frame " + frame.Id() + " is compressed";
    if (issue == FrameIssue::kEncrypted) return "frame " + frame.Id() + " is encrypted";
  }
  return std::nullopt;
}

// A frame an edit writes, in place of the first frame of its id (or for
// the comment, of CommentToReplace); later frames of that id are dropped.
struct Target {
  TextField field;
  std::string id;
  bool append = true;                              // written behind the last frame when the tag has none
  std::optional<std::vector<std::uint8_t>> frame;  // nothing: the frame is removed
  bool placed = false;
};

// The year also goes into the other version's date frame when the tag has
// one: some writers put TDRC into 2.3 tags, and readers then show it
// rather than TYER. 2.3's TDAT (day and month) is left alone.
std::vector<Target> TargetsOf(TextField field, int major) {
  std::vector<Target> targets{{field, FrameId(field, major), true, std::nullopt, false}};
  if (field == TextField::kYear && major > 2) {
    targets.push_back({field, major == 3 ? "TDRC" : "TYER", false, std::nullopt, false});
  }
  return targets;
}

// The comment replaced: the one in English without a description, else
// the first without a description.
std::optional<std::size_t> CommentToReplace(const Id3v2Layout& layout) {
  const int major = layout.header.major;
  const std::string id = FrameId(TextField::kComment, major);
  std::optional<std::size_t> first;
  for (std::size_t i = 0; i < layout.walk.frames.size(); ++i) {
    const FrameSpot& spot = layout.walk.frames[i];
    if (spot.Id() != id) continue;
    const FrameData frame = OpenFrame(spot, layout);
    const auto comment =
        frame.issue == FrameIssue::kNone ? ParseCommentKey(frame.Data(), major) : std::nullopt;
    if (!comment || !comment->description.empty()) continue;
    if (comment->language == "eng") return i;
    if (!first) first = i;
  }
  return first;
}

}  // namespace

bool IsId3v2Timestamp(std::string_view text) {
  static constexpr std::string_view kShape = "0000-00-00T00:00:00";
  if (text.size() > kShape.size() || (text.size() != 4 && (text.size() - 4) % 3 != 0)) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}

Id3v2Rewrite EditId3v2Texts(Bytes tag, std::span<const TextEdit> edits) {
  const auto header = ParseId3v2Header(tag);
  if (!header) return Refuse("there is no ID3v2 tag");
  if (auto problem = HeaderProblem(tag, *header)) return Refuse(*problem);
  const Id3v2Layout layout = LayOutId3v2(*header, tag.first(header->TotalSize()));
  if (auto problem = LayoutProblem(layout)) return Refuse(*problem);
  const int major = header->major;

  // The new frames, by field; the last edit of a field counts.
  std::array<std::optional<std::string>, kFieldCount> values;
  for (const TextEdit& edit : edits) {
    if (auto problem = EditProblem(edit, major)) return Refuse(*problem);
    values[static_cast<std::size_t>(edit.field)] = edit.value;
  }
  const FrameWriter writer(major, layout.walk.plain_sizes);
  std::vector<Target> targets;
  for (std::size_t field = 0; field < kFieldCount; ++field) {
    if (!values[field]) continue;
    const auto text_field = static_cast<TextField>(field);
    for (Target& target : TargetsOf(text_field, major)) {
      if (!values[field]->empty()) {
        target.frame = writer.Build(text_field, target.id, *values[field]);
        if (!target.frame)
          return Refuse("the new " + std::string(FieldName(text_field)) + " is too long for a frame");
      }
      targets.push_back(std::move(target));
    }
  }

  std::vector<std::uint8_t> content;
  const Bytes raw = layout.raw;
  auto keep = [&](std::size_t begin, std::size_t end) {
    content.insert(content.end(), raw.begin() + static_cast<long>(layout.RawOffset(begin)),
                   raw.begin() + static_cast<long>(layout.RawOffset(end)));
  };
  auto add = [&](const std::vector<std::uint8_t>& frame) {
    if (layout.whole_tag_unsynchronised) {
      AppendUnsynchronised(frame, content);
    } else {
      content.insert(content.end(), frame.begin(), frame.end());
    }
  };

  keep(0, layout.extended.size);
  const auto comment = CommentToReplace(layout);
  for (std::size_t i = 0; i < layout.walk.frames.size(); ++i) {
    const FrameSpot& spot = layout.walk.frames[i];
    const auto target = std::find_if(targets.begin(), targets.end(), [&](const Target& t) {
      return t.field == TextField::kComment ? comment == i : spot.Id() == t.id;
    });
    if (target == targets.end()) {
      keep(spot.offset, spot.End());
    } else if (!target->placed) {
      target->placed = true;
      if (target->frame) add(*target->frame);
    }
  }
  for (const Target& target : targets) {
    if (!target.placed && target.append && target.frame) add(*target.frame);
  }

  // A kept frame stored as the last one may end in 0xFF that the original
  // tag left bare (a frame id followed it there). Before padding, the pair
  // 0xFF 0x00 would read as an escaped 0xFF and take a padding byte with it,
  // so the tag needs the zero a writer puts behind a final 0xFF.
  if (layout.whole_tag_unsynchronised && !content.empty() && content.back() == 0xFF) content.push_back(0);
  const std::size_t body_size =
      content.size() <= header->size ? header->size : content.size() + kGrowthPadding;
  if (body_size > kLargestBody) return Refuse("the tag would pass the largest size an ID3v2 tag can state");
  const std::size_t padding = body_size - content.size();
  if (major == 3 && layout.extended.size > 0) {
    // 2.3's extended header states the padding's size behind its flags.
    for (std::size_t i = 0; i < 4; ++i) content[6 + i] = static_cast<std::uint8_t>(padding >> (24 - 8 * i));
  }

  Id3v2Rewrite result;
  result.tag.reserve(kId3v2HeaderSize + body_size);
  result.tag.insert(result.tag.end(), tag.begin(), tag.begin() + 6);
  for (int shift = 21; shift >= 0; shift -= 7) {
    result.tag.push_back(static_cast<std::uint8_t>(body_size >> shift & 0x7F));
  }
  result.tag.insert(result.tag.end(), content.begin(), content.end());
  result.tag.resize(result.tag.size() + padding, 0);
  return result;
}

}  // namespace vtinspect
