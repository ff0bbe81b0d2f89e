#include "ApeTag.h"

#include "TextCodec.h"

namespace vtinspect {
namespace {

constexpr std::uint32_t kItemReadOnly = 1;

std::string Latin1ToUtf8(Bytes bytes) {
  std::string out;
  for (std::uint8_t byte : bytes) {
    if (byte < 0x80) {
      out.push_back(static_cast<char>(byte));
    } else {
      out.push_back(static_cast<char>(0xC0 | byte >> 6));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return out;
}

// Reads up to `count` items from `items`; stops at the first that does not
// fit, saying why.
void ReadItems(Bytes items, std::uint32_t count, std::uint32_t version, ApeTag& tag) {
  std::size_t at = 0;
  for (std::uint32_t n = 0; n < count; ++n) {
    if (items.size() - at < 9) {
      tag.damage = "item " + std::to_string(n + 1) + " of " + std::to_string(count) + " lies past the tag";
      return;
    }
    const std::uint32_t size = LittleEndian32(items.subspan(at));
    const std::uint32_t flags = LittleEndian32(items.subspan(at + 4));
    std::size_t key_end = at + 8;
    while (key_end < items.size() && items[key_end] >= 0x20 && items[key_end] <= 0x7E) ++key_end;
    if (key_end == items.size() || items[key_end] != 0 || key_end == at + 8) {
      tag.damage = "item " + std::to_string(n + 1) + " has no valid key";
      return;
    }
    const std::size_t value_at = key_end + 1;
    if (size > items.size() - value_at) {
      tag.damage = "item " + std::to_string(n + 1) + "'s value runs past the tag";
      return;
    }
    ApeItem item;
    item.key = AsText(items.subspan(at + 8, key_end - at - 8));
    item.size = size;
    item.read_only = (flags & kItemReadOnly) != 0;
    // Version 1 had no item flags: every value is text.
    item.kind = version >= 2000 ? static_cast<ApeItemKind>(flags >> 1 & 3) : ApeItemKind::kText;
    const Bytes value = items.subspan(value_at, size);
    if (item.kind == ApeItemKind::kText || item.kind == ApeItemKind::kLocator) {
      std::string text(AsText(value));
      if (IsValidUtf8(text)) {
        item.text = std::move(text);
      } else if (version < 2000) {
        item.text = Latin1ToUtf8(value);  // version 1 texts were not yet UTF-8
      } else {
        item.damaged = true;
      }
    }
    tag.items.push_back(std::move(item));
    at = value_at + size;
  }
}

ApeTag ReadItemsBetween(Bytes bytes, std::size_t items_begin, const ApeFooter& footer, std::size_t begin) {
  ApeTag tag;
  tag.found = true;
  tag.version = footer.version;
  tag.begin = begin;
  tag.size = static_cast<std::size_t>(footer.TotalSize());
  tag.has_header = footer.HasHeader();
  tag.read_only = (footer.flags & kItemReadOnly) != 0;
  ReadItems(bytes.subspan(items_begin, footer.tag_size - kApeFooterSize), footer.item_count, footer.version,
            tag);
  return tag;
}

}  // namespace

std::optional<ApeFooter> ParseApeFooter(Bytes bytes) {
  if (bytes.size() < kApeFooterSize || !StartsWith(bytes, "APETAGEX")) return std::nullopt;
  ApeFooter footer{LittleEndian32(bytes.subspan(8)), LittleEndian32(bytes.subspan(12)),
                   LittleEndian32(bytes.subspan(16)), LittleEndian32(bytes.subspan(20))};
  if (footer.tag_size < kApeFooterSize) return std::nullopt;
  return footer;
}

ApeTag ReadApeTagEndingAt(Bytes bytes, std::size_t end) {
  if (end > bytes.size() || end < kApeFooterSize) return {};
  const auto footer = ParseApeFooter(bytes.subspan(end - kApeFooterSize));
  if (!footer || footer->IsHeader() || footer->TotalSize() > end) return {};
  const std::size_t begin = end - static_cast<std::size_t>(footer->TotalSize());
  const std::size_t items_begin = end - footer->tag_size;
  return ReadItemsBetween(bytes, items_begin, *footer, begin);
}

ApeTag ReadApeTagAt(Bytes bytes, std::size_t offset) {
  if (offset > bytes.size()) return {};
  const auto header = ParseApeFooter(bytes.subspan(offset));
  if (!header || !header->IsHeader() || header->tag_size > bytes.size() - offset - kApeFooterSize) return {};
  ApeFooter counted = *header;
  counted.flags |= 0x80000000u;  // this one is the header: it counts
  return ReadItemsBetween(bytes, offset + kApeFooterSize, counted, offset);
}

}  // namespace vtinspect
