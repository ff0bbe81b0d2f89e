// The tag table as text: CSV for spreadsheets, JSON lines for scripts (one
// object per file per line, the columns as members, size a number). Import
// takes either, told apart by the first character.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "table/TagTable.h"

namespace vthost {

std::string CsvHeader();
std::string CsvText(const TableRow& row);
std::string JsonText(const TableRow& row);

struct ImportedTable {
  std::vector<TableRow> rows;
  std::vector<std::size_t> lines;           // where each row starts, for messages
  std::set<std::string> columns;            // the known columns it has
  std::vector<std::string> unknownColumns;  // in the order met
};

// The rows, or what is wrong with the text as a whole: not UTF-8, a quote
// never closed, a JSON line that does not parse, no path column. Cells of
// known columns become the rows' cells; unknown columns are only named.
std::variant<ImportedTable, std::string> ReadTable(std::string_view text);

}  // namespace vthost
