#include "journal/JournalFormat.h"

#include "journal/ContentHash.h"
#include "report/OutputEscape.h"
#include "system/PathBytes.h"
#include "system/StateFolder.h"

namespace vthost {

std::optional<std::filesystem::path> JournalRoot() {
  const auto state = StateFolder();
  if (!state) return std::nullopt;
  return *state / "journal";
}

JournalJson StampJson(const FileStamp& stamp) {
  return {{"size", stamp.size},
          {"seconds", stamp.seconds},
          {"nanoseconds", stamp.nanoseconds},
          {"device", stamp.device},
          {"inode", stamp.inode}};
}

std::optional<FileStamp> StampFromJson(const JournalJson& json) {
  try {
    return FileStamp{json.at("size").get<std::uint64_t>(), json.at("seconds").get<std::int64_t>(),
                     json.at("nanoseconds").get<std::int32_t>(), json.at("device").get<std::uint64_t>(),
                     json.at("inode").get<std::uint64_t>()};
  } catch (const JournalJson::exception&) {
    return std::nullopt;
  }
}

JournalJson SpanJson(const std::optional<ByteSpan>& span) {
  if (!span) return nullptr;
  return {{"offset", span->offset}, {"length", span->length}};
}

std::optional<ByteSpan> SpanFromJson(const JournalJson& json) {
  if (!json.is_object()) return std::nullopt;
  try {
    return ByteSpan{json.at("offset").get<std::uint64_t>(), json.at("length").get<std::uint64_t>()};
  } catch (const JournalJson::exception&) {
    return std::nullopt;
  }
}

JournalJson PathJson(const std::filesystem::path& path) {
  return {{"text", EscapeControls(DisplayName(path))}, {"hex", HexBytes(PathBytes(path))}};
}

std::optional<std::filesystem::path> PathFromJson(const JournalJson& json) {
  if (!json.is_object() || !json.contains("hex") || !json["hex"].is_string()) return std::nullopt;
  const std::string hex = json["hex"].get<std::string>();
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t at = 0; at < hex.size(); at += 2) {
    const auto value = HashFromText(std::string(14, '0') + hex.substr(at, 2));
    if (!value) return std::nullopt;
    bytes += static_cast<char>(*value);
  }
  return PathFromBytes(bytes);
}

std::optional<std::uint64_t> HashAround(const std::filesystem::path& path, std::uint64_t size,
                                        const std::optional<ByteSpan>& audio) {
  if (!audio) return HashFile(path);
  const auto head = HashFileRange(path, 0, audio->offset);
  const auto tail = HashFileRange(path, audio->End(), size - std::min(size, audio->End()));
  if (!head || !tail) return std::nullopt;
  return *head * 31 + *tail;
}

}  // namespace vthost
