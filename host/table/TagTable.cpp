#include "table/TagTable.h"

#include <algorithm>
#include <cctype>

#include "Blanks.h"
#include "Genres.h"
#include "Record.h"
#include "system/TextCodec.h"

namespace vthost {
namespace {

struct Id3v1Column {
  const char* column;
  int item;
};

constexpr Id3v1Column kId3v1Texts[] = {{"title", VT_ITEM_TITLE},
                                       {"artist", VT_ITEM_ARTIST},
                                       {"album", VT_ITEM_ALBUM},
                                       {"year", VT_ITEM_YEAR},
                                       {"comment", VT_ITEM_COMMENT}};

bool IsTableInfoItem(int item) { return item != VT_ITEM_IID3; }

std::string Shown(std::string_view bytes, const std::string& encoding) {
  return ToDisplay(vtinspect::WithoutTrailingBlanks(bytes), encoding);
}

const char* FormOf(const TagInfo& info, bool recordRead, const vtinspect::FileProbe& probe) {
  if (probe.IsWave()) return "wave";
  if (!recordRead || !probe.Recognised()) return "";
  return info.FileKind == VT_KIND_RMP3 ? "rmp3" : info.FileKind == VT_KIND_WAVE ? "wave" : "mp3";
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 9 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::optional<int> GenreOf(const std::string& text) {
  if (text.empty()) return vtinspect::kNoGenre;
  if (AllDigits(text)) return std::stoi(text);
  return vtinspect::GenreByName(text);
}

}  // namespace

const std::vector<std::string>& TableColumns() {
  static const std::vector<std::string> columns = [] {
    std::vector<std::string> all = {kPathColumn, kFormColumn};
    for (const Id3v1Column& text : kId3v1Texts) all.emplace_back(text.column);
    all.emplace_back("track");
    all.emplace_back("genre");
    for (const InfoId& known : kInfoIds)
      if (IsTableInfoItem(known.item)) all.emplace_back(known.id);
    all.emplace_back(kSizeColumn);
    all.emplace_back(kModifiedColumn);
    all.emplace_back(kPathHexColumn);
    return all;
  }();
  return columns;
}

bool IsWritableColumn(const std::string& column) {
  if (column == kPathColumn || column == kPathHexColumn || column == kSizeColumn ||
      column == kModifiedColumn || column == "ISFT")
    return false;
  const auto& columns = TableColumns();
  return std::find(columns.begin(), columns.end(), column) != columns.end();
}

TableRow RowOfFile(const std::filesystem::path& path, const TagInfo& info, bool recordRead,
                   const vtinspect::FileProbe& probe, const std::optional<FileStamp>& stamp,
                   const std::string& encoding) {
  TableRow row{path, {}};
  Cells& cells = row.cells;
  cells[kFormColumn] = FormOf(info, recordRead, probe);
  const bool id3v1 = recordRead && info.HasTag;
  for (const Id3v1Column& text : kId3v1Texts)
    cells[text.column] = id3v1 ? Shown(TextOf(info.Items[text.item]), encoding) : "";
  cells["track"] = id3v1 && info.Track != kNoTrack && info.Track > 0 ? std::to_string(info.Track) : "";
  std::string genre;
  if (id3v1 && GenreNumber(info) != vtinspect::kNoGenre) {
    const auto name = vtinspect::GenreName(GenreNumber(info));
    genre = name ? std::string(*name) : std::to_string(GenreNumber(info));
  }
  cells["genre"] = genre;
  for (const InfoId& known : kInfoIds) {
    if (!IsTableInfoItem(known.item)) continue;
    std::string text = recordRead ? Shown(TextOf(info.Items[known.item]), encoding) : "";
    if (text.empty() && probe.riff)
      for (const vtinspect::InfoText& head : probe.riff->headInfo)
        if (head.id == known.id) text = Shown(head.bytes, encoding);
    cells[std::string(known.id)] = text;
  }
  cells[kSizeColumn] = stamp ? std::to_string(stamp->size) : "";
  cells[kModifiedColumn] = stamp ? UtcText(stamp->seconds, stamp->nanoseconds) : "";
  return row;
}

bool SameCell(const std::string& column, const std::string& a, const std::string& b) {
  const std::string_view left = vtinspect::WithoutTrailingBlanks(a),
                         right = vtinspect::WithoutTrailingBlanks(b);
  if (left == right) return true;
  if ((column == "track" || column == "year") && AllDigits(left) && AllDigits(right))
    return std::stol(std::string(left)) == std::stol(std::string(right));
  if (column == "genre") {
    const auto x = GenreOf(std::string(left)), y = GenreOf(std::string(right));
    return x && y && *x == *y;
  }
  return false;
}

std::vector<CellChange> ChangedCells(const TableRow& now, const TableRow& wanted) {
  std::vector<CellChange> changes;
  for (const std::string& column : TableColumns()) {
    if (!IsWritableColumn(column)) continue;
    const auto want = wanted.cells.find(column);
    if (want == wanted.cells.end()) continue;
    const auto have = now.cells.find(column);
    const std::string before = have == now.cells.end() ? "" : have->second;
    if (!SameCell(column, before, want->second)) changes.push_back({column, before, want->second});
  }
  return changes;
}

}  // namespace vthost
