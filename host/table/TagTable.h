// A collection's tags as a table: one row per file, one column per field.
// `vomtrail export` writes it, a person edits it in a spreadsheet or a
// script, and `vomtrail import` writes back what differs from the files.
// The columns:
//   path       the file, as the walk found it (path_hex: its bytes, for a
//              name that is not UTF-8)
//   form       mp3, rmp3 or wave; empty for a file that is not MPEG audio
//   title artist album year comment track genre
//              the ID3v1 block's fields (empty without one): the genre by
//              name (its number where it has none), the track where the
//              block has one
//   INAM IART ... IMED
//              the RIFF INFO texts: behind the audio, or where the module
//              found none, in the list before it
//   size modified
//              what the file was at the export, to refuse rows whose file
//              changed since (modified as UTC text to the nanosecond)
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FileProbe.h"
#include "TagInfo.h"
#include "system/FileStamp.h"

namespace vthost {

using Cells = std::map<std::string, std::string, std::less<>>;

struct TableRow {
  std::filesystem::path path;
  Cells cells;  // every column but path and path_hex
};

inline constexpr const char* kPathColumn = "path";
inline constexpr const char* kPathHexColumn = "path_hex";
inline constexpr const char* kFormColumn = "form";
inline constexpr const char* kSizeColumn = "size";
inline constexpr const char* kModifiedColumn = "modified";

// Every column, in the table's order.
const std::vector<std::string>& TableColumns();

// Columns an import may change: the form, the ID3v1 fields and the INFO ids
// the module writes (not ISFT, which it writes itself).
bool IsWritableColumn(const std::string& column);

// The row of a file whose record GetInfo filled (`recordRead`) beside the
// inspection of its bytes; texts decoded from `encoding` unless UTF-8.
TableRow RowOfFile(const std::filesystem::path& path, const TagInfo& info, bool recordRead,
                   const vtinspect::FileProbe& probe, const std::optional<FileStamp>& stamp,
                   const std::string& encoding);

// Whether two texts of a column say the same. Spreadsheets drop leading
// zeros and trailing spaces, so track and year compare as numbers where both
// are, the genre by its number, and every text without trailing blanks.
bool SameCell(const std::string& column, const std::string& a, const std::string& b);

struct CellChange {
  std::string column, before, after;
};

// The writable columns where `wanted` differs from `now`; columns that
// `wanted` lacks are left as they are.
std::vector<CellChange> ChangedCells(const TableRow& now, const TableRow& wanted);

}  // namespace vthost
