#include "table/Csv.h"

#include "system/TextCodec.h"

namespace vthost {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The separator is the candidate the header line holds most of, outside
// quotes; a one-column header has none and takes the comma.
char GuessSeparator(std::string_view text) {
  std::size_t commas = 0, semicolons = 0, tabs = 0;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n' || c == '\r') break;
    commas += c == ',';
    semicolons += c == ';';
    tabs += c == '\t';
  }
  if (semicolons > commas && semicolons >= tabs) return ';';
  if (tabs > commas && tabs > semicolons) return '\t';
  return ',';
}

bool IsBlankRow(const CsvRow& row) { return row.size() == 1 && row[0].empty(); }

}  // namespace

std::variant<CsvTable, std::string> ReadCsv(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  if (!IsValidUtf8(text)) return std::string("the table is not UTF-8 text (save it as UTF-8)");
  CsvTable table;
  std::size_t line = 1;
  if (text.substr(0, 4) == "sep=" && text.size() > 4) {
    table.separator = text[4];
    const std::size_t end = text.find('\n');
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line;
  } else {
    table.separator = GuessSeparator(text);
  }

  CsvRow row(1);
  std::size_t rowLine = line;
  bool quoted = false;        // inside a quoted part of a field
  bool fieldStarted = false;  // the field has a character already
  const auto endRow = [&] {
    if (!IsBlankRow(row)) {
      table.rows.push_back(std::move(row));
      table.lines.push_back(rowLine);
    }
    row.assign(1, std::string());
    fieldStarted = false;
    rowLine = line;
  };
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (quoted) {
      if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
        row.back() += '"';
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
        // A line break in a cell is LF in the tag, whatever ends the lines.
      } else {
        line += c == '\n';
        row.back() += c;
      }
    } else if (c == '"' && !fieldStarted) {
      quoted = true;
      fieldStarted = true;
    } else if (c == table.separator) {
      row.emplace_back();
      fieldStarted = false;
    } else if (c == '\n' || (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')) {
      at += c == '\r';
      ++line;
      endRow();
    } else {
      row.back() += c;
      fieldStarted = true;
    }
  }
  if (quoted) return "a quoted field that starts on line " + std::to_string(rowLine) + " is never closed";
  endRow();
  return table;
}

std::string CsvLine(const CsvRow& fields, char separator) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) line += separator;
    const std::string& field = fields[i];
    if (field.find_first_of(std::string("\"\r\n") + separator) == std::string::npos) {
      line += field;
      continue;
    }
    line += '"';
    for (const char c : field) line += c == '"' ? std::string("\"\"") : std::string(1, c);
    line += '"';
  }
  return line + '\n';
}

}  // namespace vthost
