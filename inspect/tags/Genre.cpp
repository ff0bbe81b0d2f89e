#include "Genre.h"

#include <algorithm>

namespace vtinspect {
namespace {

// Genre numbers are ID3v1 bytes, so three digits are enough; longer runs
// of digits are names.
std::optional<int> GenreNumber(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  int number = 0;
  for (char c : text) number = number * 10 + (c - '0');
  return number;
}

std::optional<GenreEntry> Reference(std::string_view inside) {
  if (inside == "RX") return GenreEntry{std::nullopt, "", GenreMark::kRemix};
  if (inside == "CR") return GenreEntry{std::nullopt, "", GenreMark::kCover};
  if (auto number = GenreNumber(inside)) return GenreEntry{number, "", GenreMark::kNone};
  return std::nullopt;
}

void ParseValue(std::string_view value, std::vector<GenreEntry>& out) {
  if (auto whole = Reference(value)) {
    out.push_back(*whole);
    return;
  }
  const std::size_t first = out.size();
  std::size_t at = 0;
  // "((" starts a name that itself begins with a parenthesis.
  while (at < value.size() && value[at] == '(' && value.substr(at, 2) != "((") {
    const std::size_t close = value.find(')', at);
    if (close == std::string_view::npos) break;
    auto reference = Reference(value.substr(at + 1, close - at - 1));
    if (!reference) break;
    out.push_back(*reference);
    at = close + 1;
  }
  std::string_view rest = value.substr(at);
  if (rest.substr(0, 2) == "((") rest.remove_prefix(1);
  if (rest.empty()) return;
  if (out.size() > first && out.back().number && out.back().text.empty()) {
    out.back().text = rest;
  } else {
    out.push_back(GenreEntry{std::nullopt, std::string(rest), GenreMark::kNone});
  }
}

}  // namespace

std::vector<GenreEntry> ParseGenres(const std::vector<std::string>& values) {
  std::vector<GenreEntry> out;
  for (const std::string& value : values) ParseValue(value, out);
  return out;
}

std::string GenreLabel(const GenreEntry& entry, GenreNamer names) {
  if (!entry.text.empty()) return entry.text;
  if (entry.mark == GenreMark::kRemix) return "Remix";
  if (entry.mark == GenreMark::kCover) return "Cover";
  if (!entry.number) return "";
  if (names) {
    if (auto name = names(*entry.number)) return std::string(*name);
  }
  return std::to_string(*entry.number);
}

}  // namespace vtinspect
