#include "edits/HeadList.h"

#include <algorithm>
#include <optional>

#include "Record.h"
#include "platform/ByteOrder.h"

namespace vthost {
namespace {

using vtinspect::ChunkSpan;

constexpr std::uint64_t kLargestFile = 0x7FFFFFFF;  // the module reads no file of 2 GiB or more

bool IsFiller(const std::string& id) { return id == "JUNK" || id == "junk" || id == "PAD " || id == "FLLR"; }

// The module's ids the head list follows: all it writes but its own name.
std::optional<int> FollowedItem(std::string_view id) {
  for (const InfoId& known : kInfoIds)
    if (known.id == id && known.item < kWrittenInfoIds && known.item != VT_ITEM_ISFT) return known.item;
  return std::nullopt;
}

std::string SubChunk(std::string_view id, std::string_view text) {
  std::string chunk = std::string(id) + LittleEndianWord(text.size() + 1) + std::string(text) + '\0';
  if (chunk.size() % 2 != 0) chunk += '\0';
  return chunk;
}

struct Region {
  std::uint64_t start = 0, end = 0;  // the list and the fillers behind it
  std::uint64_t bodyStart = 0;       // the list's bytes behind "LIST" and its size
  std::uint64_t bodySize = 0;
};

std::optional<Region> HeadRegion(const vtinspect::RiffFacts& facts) {
  const auto& chunks = facts.chunks;
  for (std::size_t i = 0; i < chunks.size() && chunks[i].id != "data"; ++i) {
    if (chunks[i].listType != "INFO") continue;
    Region region{chunks[i].offset, chunks[i].End(), chunks[i].offset + 8, chunks[i].size};
    for (std::size_t j = i + 1; j < chunks.size() && IsFiller(chunks[j].id); ++j)
      region.end = chunks[j].End();
    return region;
  }
  return std::nullopt;
}

struct NewList {
  std::string body;  // "INFO" and the sub-chunks
  std::size_t lastChunk = std::string::npos;
};

NewList BuildList(std::string_view oldBody, const std::array<std::string, kWrittenInfoIds>& texts,
                  const std::vector<std::string>& leftOut) {
  const auto wanted = [&](int item) {
    const std::string& text = texts[static_cast<std::size_t>(item)];
    const std::string id(kInfoIds[static_cast<std::size_t>(item)].id);
    return !text.empty() && std::find(leftOut.begin(), leftOut.end(), id) == leftOut.end();
  };
  NewList list{"INFO"};
  const auto add = [&](std::string chunk) {
    list.lastChunk = list.body.size();
    list.body += chunk;
  };
  std::array<bool, kWrittenInfoIds> seen{};
  std::size_t at = 4;
  while (at + 8 <= oldBody.size()) {
    const std::string_view id = oldBody.substr(at, 4);
    const std::uint64_t size = vomtrail::LittleEndian32(oldBody, at + 4);
    const std::uint64_t end = at + 8 + size;
    if (end > oldBody.size() ||
        !std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
      break;  // what follows is no sub-chunk: it is left out
    if (const auto item = FollowedItem(id)) {
      const std::string& text = texts[static_cast<std::size_t>(*item)];
      const std::string_view old = oldBody.substr(at + 8, static_cast<std::size_t>(size));
      if (!seen[static_cast<std::size_t>(*item)] && wanted(*item))
        add(WholeOfCut(old, text) ? std::string(oldBody.substr(at, static_cast<std::size_t>(end - at))) +
                                        std::string(size % 2, '\0')
                                  : SubChunk(id, text));
      seen[static_cast<std::size_t>(*item)] = true;
    } else {
      // Kept as it stands, with the pad byte of an odd size even where the
      // writer left it out at the list's end.
      add(std::string(oldBody.substr(at, static_cast<std::size_t>(end - at))) + std::string(size % 2, '\0'));
    }
    at = static_cast<std::size_t>(std::min<std::uint64_t>(end + (size & 1u), oldBody.size()));
  }
  for (const InfoId& known : kInfoIds)
    if (FollowedItem(known.id) && !seen[static_cast<std::size_t>(known.item)] && wanted(known.item))
      add(SubChunk(known.id, texts[static_cast<std::size_t>(known.item)]));
  return list;
}

std::string ListChunk(const std::string& body) { return "LIST" + LittleEndianWord(body.size()) + body; }

std::string Junk(std::uint64_t bodySize);

// The JUNK chunk left behind a grown list for later edits. The module reads
// INFO texts only within about 1,000 bytes of the data size, which for a
// WAVE file is the length of its head less 21: a head short enough for it
// to reach the list behind the audio stays so.
std::string Room(std::uint64_t newDataOffset) {
  if (newDataOffset + 8 > kModuleReach) return Junk(kHeadListRoom);
  return Junk(kModuleReach - newDataOffset - 8);
}

std::string Junk(std::uint64_t bodySize) {
  return "JUNK" + LittleEndianWord(bodySize) + std::string(static_cast<std::size_t>(bodySize), '\0');
}

// The list filling `room` bytes exactly, or nothing. A gap too small for a
// JUNK chunk goes to the last text as zero bytes, which every reader takes
// for the text's end.
std::optional<std::string> FittedRegion(NewList list, std::uint64_t room) {
  const std::uint64_t size = 8 + list.body.size();
  if (size == room) return ListChunk(list.body);
  if (size + 8 <= room) return ListChunk(list.body) + Junk(room - size - 8);
  if (size > room || list.lastChunk == std::string::npos) return std::nullopt;
  const std::uint64_t gap = room - size;
  const std::uint64_t oldSize = vomtrail::LittleEndian32(list.body, list.lastChunk + 4);
  list.body.replace(list.lastChunk + 4, 4, LittleEndianWord(oldSize + (oldSize & 1u) + gap));
  list.body.append(static_cast<std::size_t>(gap), '\0');
  return ListChunk(list.body);
}

// Whether the module's search, run over the new head, stops at the data
// chunk's own id: a text holding "data", or a 'd' in the three bytes before
// the id, would make it take other bytes for the data size.
bool ModuleFindsTheData(const std::string& newHead, std::uint64_t dataId) {
  vtinspect::MemoryBytes bytes(newHead);
  return ModuleDataSearch(bytes, newHead.size()) == dataId;
}

}  // namespace

HeadListPlan PlanHeadList(std::string_view head, std::uint64_t fileSize, const vtinspect::RiffFacts& facts,
                          const std::array<std::string, kWrittenInfoIds>& texts) {
  HeadListPlan plan;
  const std::optional<Region> region = HeadRegion(facts);
  if (!region || !facts.dataOffset || *facts.dataOffset > head.size() || region->end > head.size())
    return plan;
  plan.present = true;
  const std::uint64_t dataId = *facts.dataOffset - 8;
  const std::string_view oldBody =
      head.substr(static_cast<std::size_t>(region->bodyStart), static_cast<std::size_t>(region->bodySize));
  for (int item = 0; item < kWrittenInfoIds; ++item)
    if (FollowedItem(kInfoIds[static_cast<std::size_t>(item)].id) &&
        texts[static_cast<std::size_t>(item)].find("data") != std::string::npos)
      plan.leftOut.emplace_back(kInfoIds[static_cast<std::size_t>(item)].id);
  const NewList list = BuildList(oldBody, texts, plan.leftOut);
  const std::string_view before = head.substr(0, static_cast<std::size_t>(region->start));
  const std::string_view behind = head.substr(static_cast<std::size_t>(region->end));
  if (list.body == oldBody) return plan;

  const std::uint64_t room = region->end - region->start;
  if (const auto fitted = FittedRegion(list, room);
      fitted && ModuleFindsTheData(std::string(before) + *fitted + std::string(behind), dataId)) {
    plan.content = {OldBytes(0, 0, region->start), NewBytes(region->start, *fitted),
                    OldBytes(region->end, region->end, fileSize - region->end)};
    return plan;
  }
  std::string grown = ListChunk(list.body);
  grown += Room(*facts.dataOffset + grown.size() - room);
  const std::uint64_t growth = grown.size() - room;
  if (fileSize + growth > kLargestFile) {
    plan.refusal = "the list before the audio would make the file 2 GiB or longer";
    return plan;
  }
  std::string newHead = std::string(before) + grown + std::string(behind);
  const std::uint64_t riffSize = vomtrail::LittleEndian32(head, 4) + growth;
  newHead.replace(4, 4, LittleEndianWord(riffSize));
  if (!ModuleFindsTheData(newHead, dataId + growth)) {
    plan.refusal = "a text of the list before the audio would make the module miss the data chunk";
    return plan;
  }
  plan.content = {OldBytes(0, 0, 4), NewBytes(4, LittleEndianWord(riffSize)),
                  OldBytes(8, 8, region->start - 8), NewBytes(region->start, grown),
                  OldBytes(region->start + grown.size(), region->end, fileSize - region->end)};
  return plan;
}

}  // namespace vthost
