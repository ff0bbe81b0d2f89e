// The genre text of ID3v2 (TCON): ID3v1 genre numbers written as "(13)",
// a number with the writer's own word behind it ("(13)Rock"), "(RX)" for
// a remix and "(CR)" for a cover; 2.4 lists plain numbers, "RX", "CR" and
// names as separate values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtinspect {

enum class GenreMark { kNone, kRemix, kCover };

struct GenreEntry {
  std::optional<int> number;  // an ID3v1 genre number
  std::string text;           // a name; behind a number, the writer's refinement of it
  GenreMark mark = GenreMark::kNone;

  bool operator==(const GenreEntry&) const = default;
};

std::vector<GenreEntry> ParseGenres(const std::vector<std::string>& values);

// Names an ID3v1 genre number, or gives nothing for a number without one.
// The caller brings the table (the command has the ID3v1 genre list).
using GenreNamer = std::optional<std::string_view> (*)(int number);

// What a player shows for the entry: its text, "Remix" or "Cover", the
// name of its number, or the number itself when `names` has none.
std::string GenreLabel(const GenreEntry& entry, GenreNamer names);

}  // namespace vtinspect
