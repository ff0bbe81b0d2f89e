// Comma-separated tables as spreadsheets read and write them: fields quoted
// with " when they hold the separator, a quote or a line break (a quote
// doubled inside), lines ended by LF or CR LF. Reading takes what
// LibreOffice, Excel and hand edits give: UTF-8 with or without a byte
// order mark, ',' ';' or tab as the separator (the one the header line is
// split by), Excel's "sep=;" first line, and line breaks inside quoted
// fields (CR LF inside one is read as LF).
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vthost {

using CsvRow = std::vector<std::string>;

struct CsvTable {
  char separator = ',';
  std::vector<CsvRow> rows;        // the header first; blank lines left out
  std::vector<std::size_t> lines;  // the line each row starts on, for messages
};

// The table, or what is wrong with the text (a quote never closed, a text
// that is not UTF-8).
std::variant<CsvTable, std::string> ReadCsv(std::string_view text);

// One line of fields, ended by LF.
std::string CsvLine(const CsvRow& fields, char separator = ',');

}  // namespace vthost
