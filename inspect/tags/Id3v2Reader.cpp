#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "Id3v2Frames.h"
#include "Id3v2Tag.h"

namespace vtinspect {
namespace {

void Append(TextList& into, TextList values) {
  into.insert(into.end(), std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()));
}

std::string First(const TextList& values) { return values.empty() ? std::string() : values.front(); }

// TYER holds the year and TDAT the day and month as DDMM; together they
// make the date that 2.4 keeps in TDRC.
std::string DateFromYearAndDay(const std::string& year, const std::string& day_month) {
  const bool digits = day_month.size() == 4 && std::all_of(day_month.begin(), day_month.end(),
                                                           [](char c) { return c >= '0' && c <= '9'; });
  if (year.empty() || !digits) return year;
  return year + "-" + day_month.substr(2, 2) + "-" + day_month.substr(0, 2);
}

// Text frames kept as lists, and the others the reader takes texts from.
constexpr std::array<std::pair<std::string_view, TextList Id3v2Tag::*>, 5> kTextLists = {{
    {"TIT2", &Id3v2Tag::title},
    {"TPE1", &Id3v2Tag::artist},
    {"TALB", &Id3v2Tag::album},
    {"TPE2", &Id3v2Tag::album_artist},
    {"TCON", &Id3v2Tag::genre_text},
}};
constexpr std::array<std::string_view, 5> kSingleTexts = {"TYER", "TDAT", "TDRC", "TRCK", "TPOS"};

bool IsTextFrameRead(std::string_view id) {
  return std::any_of(kTextLists.begin(), kTextLists.end(),
                     [id](const auto& entry) { return entry.first == id; }) ||
         std::find(kSingleTexts.begin(), kSingleTexts.end(), id) != kSingleTexts.end();
}

// A text value costs a few dozen bytes however short it is, so a tag of
// one-byte values would cost far more memory than its size: the reader
// keeps this many values (texts, comments, user texts, pictures) and
// names the frames beyond them as not read.
constexpr std::size_t kValuesKept = 4096;
constexpr std::size_t kListedNotes = 1024;

class FrameReader {
 public:
  explicit FrameReader(Id3v2Tag& tag) : tag_(tag) {}

  void Read(const FrameSpot& spot, const Id3v2Layout& layout) {
    const int major = layout.header.major;
    const std::string id = major == 2 ? FrameIdFromV22(spot.Id()) : spot.Id();
    FrameNote note{spot.Id(), major == 2 ? id : "", spot.data_size, FrameIssue::kNotRead, ""};
    const FrameData frame = OpenFrame(spot, layout);
    if (frame.issue != FrameIssue::kNone) {
      note.issue = frame.issue;
      if (frame.issue == FrameIssue::kDamaged) note.detail = "its flags announce more bytes than it holds";
      return Note(std::move(note));
    }
    const bool text = IsTextFrameRead(id);
    if (!text && id != "COMM" && id != "TXXX" && id != "APIC") return Note(std::move(note));
    if (values_left_ == 0) {
      note.detail = kMoreValuesThanKept;
      return Note(std::move(note));
    }
    const Bytes data = frame.Data();
    std::string damage;
    std::size_t values = 0;
    if (text) {
      auto texts = ParseTextFrame(data, major, values_left_, damage);
      if (texts) values = texts->size(), Text(id, std::move(*texts));
    } else if (id == "COMM") {
      auto comment = ParseComment(data, major, values_left_ - 1, damage);
      if (comment) values = 1 + comment->text.size(), tag_.comments.push_back(std::move(*comment));
    } else if (id == "TXXX") {
      auto user_text = ParseUserText(data, major, values_left_ - 1, damage);
      if (user_text) values = 1 + user_text->values.size(), tag_.user_texts.push_back(std::move(*user_text));
    } else {
      auto picture = ParsePicture(data, major, damage);
      if (picture) values = 1, tag_.pictures.push_back(std::move(*picture));
    }
    if (damage.empty()) {
      values_left_ -= values;
      return;
    }
    note.issue = damage == kMoreValuesThanKept ? FrameIssue::kNotRead : FrameIssue::kDamaged;
    note.detail = std::move(damage);
    Note(std::move(note));
  }

  // Some writers put the other version's date frame in a tag; the
  // version's own frame counts first.
  void Finish(int major) {
    const std::string old_style = DateFromYearAndDay(year_, day_month_);
    tag_.date = major == 4 ? (date_.empty() ? old_style : date_) : (old_style.empty() ? date_ : old_style);
    tag_.genres = ParseGenres(tag_.genre_text);
    std::stable_partition(tag_.comments.begin(), tag_.comments.end(),
                          [](const Comment& comment) { return comment.description.empty(); });
  }

 private:
  // A frame that comes twice adds its values, as a 2.4 list would; for
  // the positions and dates the first one counts.
  void Text(const std::string& id, TextList values) {
    for (const auto& [list_id, list] : kTextLists) {
      if (id == list_id) return Append(tag_.*list, std::move(values));
    }
    std::string first = First(values);
    if (id == "TYER" && year_.empty()) {
      year_ = std::move(first);
    } else if (id == "TDAT" && day_month_.empty()) {
      day_month_ = std::move(first);
    } else if (id == "TDRC" && date_.empty()) {
      date_ = std::move(first);
    } else if (id == "TRCK" && tag_.track.text.empty()) {
      tag_.track = ParsePosition(first);
    } else if (id == "TPOS" && tag_.disc.text.empty()) {
      tag_.disc = ParsePosition(first);
    }
  }

  // Real tags leave a few frames unread; a hostile one can hold one every
  // six bytes, so only the first are named.
  void Note(FrameNote note) {
    if (tag_.unread.size() < kListedNotes) {
      tag_.unread.push_back(std::move(note));
    } else {
      ++tag_.unlisted;
    }
  }

  Id3v2Tag& tag_;
  std::size_t values_left_ = kValuesKept;
  std::string year_, day_month_, date_;
};

}  // namespace

Id3v2Tag ReadId3v2(Bytes bytes, std::size_t offset) {
  Id3v2Tag tag;
  if (offset > bytes.size()) return tag;
  const Bytes at = bytes.subspan(offset);
  const auto header = ParseId3v2Header(at);
  if (!header) return tag;
  tag.header = *header;
  tag.total_size = header->TotalSize();
  tag.truncated = at.size() < tag.total_size;
  if (header->major < 2 || header->major > 4) {
    tag.status = Id3v2Status::kUnknownVersion;
    return tag;
  }
  tag.status = Id3v2Status::kRead;
  const Id3v2Layout layout = LayOutId3v2(*header, at);
  tag.plain_frame_sizes = layout.walk.plain_sizes;
  tag.frame_count = layout.walk.frames.size();
  FrameReader reader(tag);
  for (const FrameSpot& frame : layout.walk.frames) reader.Read(frame, layout);
  reader.Finish(header->major);
  if (!layout.walk.stopped.empty()) {
    tag.unread.push_back(
        FrameNote{"", "", layout.Body().size() - layout.walk.end, FrameIssue::kDamaged, layout.walk.stopped});
  } else {
    tag.padding = layout.Body().size() - layout.walk.end;
  }
  return tag;
}

std::vector<Id3v2Tag> ReadId3v2Stack(Bytes bytes) {
  std::vector<Id3v2Tag> tags;
  std::size_t offset = 0;
  // Every tag takes at least its ten-byte header, so this ends.
  while (offset < bytes.size()) {
    Id3v2Tag tag = ReadId3v2(bytes, offset);
    if (tag.status == Id3v2Status::kNoTag) break;
    offset += tag.total_size;
    const bool last = tag.truncated;
    tags.push_back(std::move(tag));
    if (last) break;
  }
  return tags;
}

}  // namespace vtinspect
