// How much the undo journal may keep: runs older than a number of days go,
// then the oldest runs while all of them take more than a size. A size of 0
// keeps no journal at all. The defaults are 1 GiB and 30 days; the
// environment (VOMTRAIL_JOURNAL_SIZE, VOMTRAIL_JOURNAL_DAYS) and the options
// of the writing commands (--journal-size, --journal-days) change them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace vthost {

struct JournalLimits {
  std::uint64_t bytes = std::uint64_t{1} << 30;
  std::uint32_t days = 30;
};

// The options as given (empty: not given).
struct JournalOptions {
  std::string size;
  std::string days;
};

// "500M", "2G", "64K", "1000": bytes; nothing for other texts.
std::optional<std::uint64_t> ParseByteSize(std::string_view text);

// The limits from the defaults, the environment and the options, in that
// order of weight; or the words of a usage error.
std::variant<JournalLimits, std::string> ResolveJournalLimits(const JournalOptions& options);

}  // namespace vthost
