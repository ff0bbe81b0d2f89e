#include "journal/JournalLimits.h"

#include <cctype>
#include <cstdlib>

namespace vthost {
namespace {

std::optional<std::uint32_t> ParseDays(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  std::uint32_t days = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    days = days * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return days;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

}  // namespace

std::optional<std::uint64_t> ParseByteSize(std::string_view text) {
  if (text.empty() || text.size() > 16) return std::nullopt;
  std::uint64_t scale = 1;
  switch (std::toupper(static_cast<unsigned char>(text.back()))) {
    case 'K':
      scale = std::uint64_t{1} << 10;
      break;
    case 'M':
      scale = std::uint64_t{1} << 20;
      break;
    case 'G':
      scale = std::uint64_t{1} << 30;
      break;
    case 'T':
      scale = std::uint64_t{1} << 40;
      break;
    default:
      break;
  }
  if (scale != 1) text.remove_suffix(1);
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > UINT64_MAX / scale) return std::nullopt;
  return value * scale;
}

std::variant<JournalLimits, std::string> ResolveJournalLimits(const JournalOptions& options) {
  JournalLimits limits;
  const std::pair<std::string, const char*> sizes[] = {
      {Environment("VOMTRAIL_JOURNAL_SIZE"), "VOMTRAIL_JOURNAL_SIZE"}, {options.size, "--journal-size"}};
  for (const auto& [text, source] : sizes) {
    if (text.empty()) continue;
    const auto bytes = ParseByteSize(text);
    if (!bytes) return std::string(source) + " takes a size such as 500M or 2G, not \"" + text + "\"";
    limits.bytes = *bytes;
  }
  const std::pair<std::string, const char*> days[] = {
      {Environment("VOMTRAIL_JOURNAL_DAYS"), "VOMTRAIL_JOURNAL_DAYS"}, {options.days, "--journal-days"}};
  for (const auto& [text, source] : days) {
    if (text.empty()) continue;
    const auto count = ParseDays(text);
    if (!count) return std::string(source) + " takes a number of days, not \"" + text + "\"";
    limits.days = *count;
  }
  return limits;
}

}  // namespace vthost
