// APE tags (version 2, and the older version 1 that only had a footer):
// a 32-byte footer "APETAGEX" at the end of the tag, in version 2 often a
// header of the same form in front, and between them the items: a value
// size, item flags, a key of printable ASCII ending in a zero, the value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Bytes.h"

namespace vtinspect {

inline constexpr std::size_t kApeFooterSize = 32;

struct ApeFooter {
  std::uint32_t version = 0;   // 1000 or 2000
  std::uint32_t tag_size = 0;  // the items and the footer, not the header
  std::uint32_t item_count = 0;
  std::uint32_t flags = 0;

  bool HasHeader() const { return version >= 2000 && (flags & 0x80000000u) != 0; }
  bool IsHeader() const { return version >= 2000 && (flags & 0x20000000u) != 0; }
  std::uint64_t TotalSize() const { return std::uint64_t{tag_size} + (HasHeader() ? kApeFooterSize : 0); }
};

// The header or footer at the start of `bytes`.
std::optional<ApeFooter> ParseApeFooter(Bytes bytes);

enum class ApeItemKind { kText, kBinary, kLocator, kReserved };

struct ApeItem {
  std::string key;
  ApeItemKind kind = ApeItemKind::kText;
  std::string text;      // text and locator items: the value as UTF-8
  std::size_t size = 0;  // the value's size in bytes
  bool read_only = false;
  bool damaged = false;  // a text that is not UTF-8; `text` is then empty
};

struct ApeTag {
  bool found = false;
  std::uint32_t version = 0;
  std::size_t begin = 0;  // where the tag (its header, if any) starts in the bytes given
  std::size_t size = 0;   // all of it, header and footer included
  bool has_header = false;
  bool read_only = false;
  std::vector<ApeItem> items;
  std::string damage;  // why the items could not all be read; empty when they could
};

// The tag whose footer ends at `end` in `bytes` (the last bytes of a file,
// or the bytes before an ID3v1 block).
ApeTag ReadApeTagEndingAt(Bytes bytes, std::size_t end);

// The tag whose header starts at `offset` in `bytes`.
ApeTag ReadApeTagAt(Bytes bytes, std::size_t offset);

}  // namespace vtinspect
