#include "table/RowEdits.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "TagInfo.h"
#include "command/SetCommand.h"
#include "edits/FieldPairs.h"

namespace vthost {
namespace {

// The ID3v1 columns whose edits `set` mirrors into INFO ids, with the
// INFO item of each.
std::vector<std::pair<std::string, int>> MirroredColumns() {
  std::vector<std::pair<std::string, int>> columns;
  for (const FieldPair& pair : kFieldPairs) columns.emplace_back(pair.label, pair.info);
  columns.emplace_back("genre", kGenreInfo);
  return columns;
}

bool Changes(const std::vector<CellChange>& changes, const std::string& column) {
  return std::any_of(changes.begin(), changes.end(), [&](const CellChange& c) { return c.column == column; });
}

}  // namespace

std::variant<RowEdits, std::string> EditsForChanges(const std::vector<CellChange>& changes,
                                                    const TableRow& now, const std::string& encoding) {
  RowEdits row;
  row.edits.encoding = encoding;
  EditOptions& edits = row.edits;
  for (const CellChange& change : changes) {
    const std::string& value = change.after;
    if (change.column == kFormColumn) {
      const auto names = ModeNames();
      if (std::find(names.begin(), names.end(), value) == names.end())
        return "the form \"" + value + "\" is none of mp3, rmp3 and wave";
      row.mode = ModeNamed(value);
    } else if (change.column == "title") {
      edits.title = value;
    } else if (change.column == "artist") {
      edits.artist = value;
    } else if (change.column == "album") {
      edits.album = value;
    } else if (change.column == "year") {
      edits.year = value;
    } else if (change.column == "comment") {
      edits.comment = value;
    } else if (change.column == "track") {
      edits.track = value.empty() ? "0" : value;  // track 0 is no track
    } else if (change.column == "genre") {
      edits.genre = value.empty() ? "255" : value;  // genre 255 is no genre
    } else {
      edits.info.push_back(change.column + "=" + value);
    }
  }
  const auto form = now.cells.find(kFormColumn);
  const bool riff = row.mode ? *row.mode != VT_MODE_MP3 : form != now.cells.end() && form->second != "mp3";
  if (riff)
    for (const auto& [field, item] : MirroredColumns())
      if (const std::string id(kInfoIds[static_cast<std::size_t>(item)].id);
          Changes(changes, field) && !Changes(changes, id)) {
        const auto text = now.cells.find(id);
        edits.info.push_back(id + "=" + (text == now.cells.end() ? "" : text->second));
      }
  return row;
}

}  // namespace vthost
