#include "table/TableText.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "report/OutputEscape.h"
#include "system/FileNames.h"
#include "system/TextCodec.h"
#include "table/Csv.h"

namespace vthost {
namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;  // members in column order

bool IsKnownColumn(const std::string& column) {
  const auto& columns = TableColumns();
  return std::find(columns.begin(), columns.end(), column) != columns.end();
}

// A name as a table can carry it: the text, and its bytes in hex when they
// are not UTF-8 (Linux names are any bytes).
std::pair<std::string, std::string> NameCells(const std::filesystem::path& path) {
  const std::string name = DisplayName(path);
  if (IsValidUtf8(name)) return {name, ""};
  return {EscapeControls(name), HexBytes(name)};
}

std::optional<std::string> FromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t at = 0; at < hex.size(); at += 2) {
    const auto nibble = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    const int high = nibble(hex[at]), low = nibble(hex[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

// The row's path from its path and path_hex cells; an error for a bad hex.
std::variant<std::filesystem::path, std::string> PathOf(const std::string& text, const std::string& hex) {
  if (hex.empty()) return PathFromUtf8(text);
  const auto bytes = FromHex(hex);
  if (!bytes) return std::string("path_hex is not hexadecimal");
  return std::filesystem::path(*bytes);
}

void Note(ImportedTable& table, const std::string& column) {
  if (IsKnownColumn(column)) {
    table.columns.insert(column);
  } else if (std::find(table.unknownColumns.begin(), table.unknownColumns.end(), column) ==
             table.unknownColumns.end()) {
    table.unknownColumns.push_back(column);
  }
}

std::variant<ImportedTable, std::string> FromCsv(std::string_view text) {
  auto read = ReadCsv(text);
  if (auto* error = std::get_if<std::string>(&read)) return *error;
  const CsvTable& csv = std::get<CsvTable>(read);
  ImportedTable table;
  if (csv.rows.empty()) return std::string("the table is empty");
  const CsvRow& header = csv.rows.front();
  for (const std::string& column : header) Note(table, column);
  if (!table.columns.count(kPathColumn)) return std::string("the table has no \"path\" column");
  for (std::size_t r = 1; r < csv.rows.size(); ++r) {
    std::string path, hex;
    Cells cells;
    for (std::size_t c = 0; c < header.size() && c < csv.rows[r].size(); ++c) {
      const std::string& column = header[c];
      if (column == kPathColumn) {
        path = csv.rows[r][c];
      } else if (column == kPathHexColumn) {
        hex = csv.rows[r][c];
      } else if (IsKnownColumn(column)) {
        cells[column] = csv.rows[r][c];
      }
    }
    auto where = PathOf(path, hex);
    if (auto* error = std::get_if<std::string>(&where))
      return "line " + std::to_string(csv.lines[r]) + ": " + *error;
    table.rows.push_back({std::get<std::filesystem::path>(where), std::move(cells)});
    table.lines.push_back(csv.lines[r]);
  }
  return table;
}

std::string CellText(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_null()) return "";
  return value.dump();
}

std::variant<ImportedTable, std::string> FromJson(std::string_view text) {
  ImportedTable table;
  std::vector<std::pair<Json, std::size_t>> objects;
  try {
    if (text.find_first_not_of(" \t\r\n") != std::string_view::npos &&
        text[text.find_first_not_of(" \t\r\n")] == '[') {
      for (const Json& object : Json::parse(text)) objects.emplace_back(object, objects.size() + 1);
    } else {
      std::size_t line = 0;
      for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        ++line;
        const std::string_view piece = text.substr(at, end - at);
        if (piece.find_first_not_of(" \t\r") != std::string_view::npos)
          objects.emplace_back(Json::parse(piece), line);
        at = end + 1;
      }
    }
  } catch (const Json::exception& e) {
    return std::string("the JSON does not parse: ") + e.what();
  }
  for (const auto& [object, line] : objects) {
    if (!object.is_object()) return "line " + std::to_string(line) + ": not a JSON object";
    Cells cells;
    std::string path, hex;
    for (const auto& [column, value] : object.items()) {
      Note(table, column);
      if (column == kPathColumn) {
        path = CellText(value);
      } else if (column == kPathHexColumn) {
        hex = CellText(value);
      } else if (IsKnownColumn(column)) {
        cells[column] = CellText(value);
      }
    }
    if (path.empty() && hex.empty()) return "line " + std::to_string(line) + ": no \"path\"";
    auto where = PathOf(path, hex);
    if (auto* error = std::get_if<std::string>(&where)) return "line " + std::to_string(line) + ": " + *error;
    table.rows.push_back({std::get<std::filesystem::path>(where), std::move(cells)});
    table.lines.push_back(line);
  }
  return table;
}

}  // namespace

std::string CsvHeader() { return CsvLine(TableColumns()); }

std::string CsvText(const TableRow& row) {
  const auto [name, hex] = NameCells(row.path);
  CsvRow fields;
  for (const std::string& column : TableColumns()) {
    if (column == kPathColumn) {
      fields.push_back(name);
    } else if (column == kPathHexColumn) {
      fields.push_back(hex);
    } else {
      const auto cell = row.cells.find(column);
      fields.push_back(cell == row.cells.end() ? "" : cell->second);
    }
  }
  return CsvLine(fields);
}

std::string JsonText(const TableRow& row) {
  const auto [name, hex] = NameCells(row.path);
  OrderedJson object = OrderedJson::object();
  for (const std::string& column : TableColumns()) {
    if (column == kPathColumn) {
      object[column] = name;
    } else if (column == kPathHexColumn) {
      if (!hex.empty()) object[column] = hex;
    } else if (column == kSizeColumn) {
      const std::string& size = row.cells.at(column);
      object[column] = size.empty() ? OrderedJson(nullptr) : OrderedJson(std::stoull(size));
    } else {
      const auto cell = row.cells.find(column);
      object[column] = cell == row.cells.end() ? "" : cell->second;
    }
  }
  return object.dump(-1, ' ', false, OrderedJson::error_handler_t::replace) + '\n';
}

std::variant<ImportedTable, std::string> ReadTable(std::string_view text) {
  std::string_view body = text;
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  const std::size_t first = body.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return std::string("the table is empty");
  if (body[first] == '{' || body[first] == '[') return FromJson(body);
  return FromCsv(text);
}

}  // namespace vthost
