#include "edits/Id3v2Sync.h"

#include <algorithm>

#include "Genres.h"
#include "Record.h"
#include "tags/Id3v2Layout.h"

namespace vthost {
namespace {

using vtinspect::TextField;

// The largest tag rewritten: the editor holds it in memory two or three
// times over. Tags with pictures run to a few MiB.
constexpr std::uint64_t kLargestEditedTag = std::uint64_t{32} << 20;
// The unit in which the system copies a write into a file: a kill stops a
// write between pages, never inside one (4 KiB, the smallest page size).
constexpr std::uint64_t kPage = 4096;

constexpr std::pair<int, TextField> kTextFields[] = {{VT_ITEM_TITLE, TextField::kTitle},
                                                     {VT_ITEM_ARTIST, TextField::kArtist},
                                                     {VT_ITEM_ALBUM, TextField::kAlbum},
                                                     {VT_ITEM_YEAR, TextField::kYear},
                                                     {VT_ITEM_COMMENT, TextField::kComment}};

const char* Label(TextField field) {
  static constexpr const char* kLabels[] = {"title", "artist", "album", "year", "comment", "track", "genre"};
  return kLabels[static_cast<std::size_t>(field)];
}

std::string Joined(const std::vector<std::string>& values) {
  std::string out;
  for (const std::string& value : values) out += (out.empty() ? "" : " / ") + value;
  return out;
}

vtinspect::Bytes AsBytes(std::string_view bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

std::optional<std::string> YearFor(const std::string& value, int major) {
  if (value.empty()) return value;
  if (!vtinspect::IsId3v2Timestamp(value)) return std::nullopt;
  return major == 4 ? value : value.substr(0, 4);
}

std::string GenreFor(int number, int major) {
  if (number == vtinspect::kNoGenre) return {};
  if (const auto name = vtinspect::GenreName(number)) return std::string(*name);
  return major == 4 ? std::to_string(number) : "(" + std::to_string(number) + ")";
}

// Whether `shown` is what a tag asked to hold `value` shows. A 2.3 year
// reads back with the day and month of a TDAT frame the edit leaves alone;
// a removed comment or year may leave another one showing.
bool ReadsAs(TextField field, const std::string& shown, const std::string& value) {
  if (value.empty() && (field == TextField::kComment || field == TextField::kYear)) return true;
  if (field == TextField::kYear) return shown.compare(0, value.size(), value) == 0;
  return shown == value;
}

}  // namespace

std::vector<vtinspect::TextEdit> Id3v2EditsOf(const TagEdits& edits, int major,
                                              std::vector<std::string>& warnings) {
  std::vector<vtinspect::TextEdit> frames;
  for (const TextEdit& edit : edits.texts)
    for (const auto& [item, field] : kTextFields) {
      if (edit.item != item) continue;
      if (field != TextField::kYear) {
        frames.push_back({field, edit.utf8});
      } else if (const auto year = YearFor(edit.utf8, major)) {
        frames.push_back({field, *year});
      } else {
        warnings.push_back("the year \"" + edit.utf8 +
                           "\" is no date an ID3v2 tag holds (yyyy or yyyy-MM-dd); " +
                           "the tag's year is left as it is");
      }
    }
  if (edits.track)
    frames.push_back({TextField::kTrack, *edits.track == 0
                                             ? std::string()
                                             : std::to_string(*edits.track) +
                                                   (edits.trackTotal ? "/" + *edits.trackTotal : "")});
  if (edits.genre) frames.push_back({TextField::kGenre, GenreFor(*edits.genre, major)});
  return frames;
}

std::string ShownId3v2Text(const vtinspect::Id3v2Tag& tag, TextField field) {
  switch (field) {
    case TextField::kTitle:
      return Joined(tag.title);
    case TextField::kArtist:
      return Joined(tag.artist);
    case TextField::kAlbum:
      return Joined(tag.album);
    case TextField::kYear:
      return tag.date;
    case TextField::kTrack:
      return tag.track.text;
    case TextField::kGenre: {
      std::vector<std::string> names;
      for (const vtinspect::GenreEntry& entry : tag.genres)
        names.push_back(vtinspect::GenreLabel(entry, vtinspect::GenreName));
      return Joined(names);
    }
    case TextField::kComment:
      break;
  }
  const vtinspect::Comment* shown = nullptr;
  for (const vtinspect::Comment& comment : tag.comments)
    if (comment.description.empty() && (!shown || (comment.language == "eng" && shown->language != "eng")))
      shown = &comment;
  return shown ? Joined(shown->text) : std::string();
}

std::vector<std::string> Id3v2ReadBackDifferences(std::string_view tag,
                                                  const std::vector<vtinspect::TextEdit>& asked) {
  const vtinspect::Id3v2Tag read = vtinspect::ReadId3v2(AsBytes(tag));
  std::vector<std::string> found;
  if (read.status != vtinspect::Id3v2Status::kRead) return {"no ID3v2 tag reads at the start"};
  for (const vtinspect::TextEdit& edit : asked) {
    const std::string shown = ShownId3v2Text(read, edit.field);
    // A genre number without a name, "(200)", reads back as "200".
    std::string value = edit.value;
    if (edit.field == TextField::kGenre)
      for (const vtinspect::GenreEntry& entry : vtinspect::ParseGenres({edit.value}))
        value = vtinspect::GenreLabel(entry, vtinspect::GenreName);
    if (!ReadsAs(edit.field, shown, value))
      found.push_back("the ID3v2 " + std::string(Label(edit.field)) + " reads \"" + shown + "\", not \"" +
                      value + "\"");
  }
  return found;
}

Id3v2Sync PlanId3v2Sync(vtinspect::ByteSource& file, const TagEdits& edits) {
  Id3v2Sync sync;
  const std::string head = file.Read(0, vtinspect::kId3v2HeaderSize);
  const auto header = vtinspect::ParseId3v2Header(AsBytes(head));
  if (!header) return sync;
  sync.major = header->major;
  if (header->TotalSize() > kLargestEditedTag) {
    sync.leftAlone = "the tag is larger than " + std::to_string(kLargestEditedTag >> 20) + " MiB";
    return sync;
  }
  sync.oldTag = file.Read(0, header->TotalSize());
  const std::string behind = file.Read(header->TotalSize(), vtinspect::kId3v2HeaderSize);
  if (vtinspect::ParseId3v2Header(AsBytes(behind)))
    sync.warnings.push_back("a second ID3v2 tag stands behind the first; only the first is changed");

  sync.asked = Id3v2EditsOf(edits, header->major, sync.warnings);
  if (sync.asked.empty()) return sync;
  vtinspect::Id3v2Rewrite rewrite = vtinspect::EditId3v2Texts(AsBytes(sync.oldTag), sync.asked);
  if (rewrite.Refused()) {
    sync.leftAlone = rewrite.refusal;
    return sync;
  }
  std::string newTag(rewrite.tag.begin(), rewrite.tag.end());
  // The editor's own output is read back before it is written: a tag that
  // would not show what was asked is not written at all.
  if (const auto differences = Id3v2ReadBackDifferences(newTag, sync.asked); !differences.empty()) {
    sync.leftAlone = "the rewritten tag would not read back as asked: " + differences.front();
    return sync;
  }
  const vtinspect::Id3v2Tag before = vtinspect::ReadId3v2(AsBytes(sync.oldTag));
  const vtinspect::Id3v2Tag after = vtinspect::ReadId3v2(AsBytes(newTag));
  for (const vtinspect::TextEdit& edit : sync.asked) {
    Id3v2Change change{Label(edit.field), ShownId3v2Text(before, edit.field),
                       ShownId3v2Text(after, edit.field)};
    if (change.before != change.after) sync.changes.push_back(std::move(change));
  }
  sync.newTag = std::move(newTag);
  return sync;
}

TagWrite PlanTagWrite(const Id3v2Sync& sync, std::uint64_t fileSize) {
  if (!sync.Writes()) return {};
  const std::string& from = sync.oldTag;
  const std::string& to = sync.newTag;
  if (to.size() == from.size()) {
    const auto first =
        static_cast<std::size_t>(std::mismatch(from.begin(), from.end(), to.begin()).first - from.begin());
    const auto unchangedTail = static_cast<std::size_t>(
        std::mismatch(from.rbegin(), from.rend(), to.rbegin()).first - from.rbegin());
    const std::size_t end = from.size() - unchangedTail;
    if (first / kPage == (end - 1) / kPage)
      return {{OldBytes(0, 0, first), NewBytes(first, to.substr(first, end - first)),
               OldBytes(end, end, fileSize - end)},
              false};
  }
  return {{NewBytes(0, to), OldBytes(to.size(), from.size(), fileSize - from.size())}, true};
}

std::uint64_t WithNewTag::Size() const { return file_.Size() + sync_.Growth(); }

std::string WithNewTag::Read(std::uint64_t offset, std::size_t count) {
  if (!sync_.Writes()) return file_.Read(offset, count);
  const std::string& tag = sync_.newTag;
  std::string out;
  if (offset < tag.size()) {
    out = tag.substr(static_cast<std::size_t>(offset), count);
    if (out.size() == count) return out;
    count -= out.size();
    offset = tag.size();
  }
  return out + file_.Read(offset - tag.size() + sync_.oldTag.size(), count);
}

}  // namespace vthost
