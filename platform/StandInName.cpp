#include "StandInName.h"

#include <cstdint>
#include <random>

namespace vomtrail {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::size_t kRandomDigits = 8;
// Dot, name, dot, digits, suffix: at most 255 bytes.
constexpr std::size_t kNameRoom = 255 - 1 - 1 - kRandomDigits - kStandInSuffix.size();

}  // namespace

std::string StandInPrefix(std::string_view name) {
  return "." + std::string(name.substr(0, kNameRoom)) + ".";
}

std::string NewStandInName(std::string_view prefix) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  auto value = static_cast<std::uint32_t>(rng());
  std::string name(prefix);
  for (std::size_t i = 0; i < kRandomDigits; ++i, value >>= 4) name += kHexDigits[value & 15u];
  name += kStandInSuffix;
  return name;
}

bool IsStandInName(std::string_view entry, std::string_view prefix) {
  if (entry.size() != prefix.size() + kRandomDigits + kStandInSuffix.size() || !entry.starts_with(prefix) ||
      !entry.ends_with(kStandInSuffix))
    return false;
  for (const char c : entry.substr(prefix.size(), kRandomDigits))
    if (kHexDigits.find(c) == std::string_view::npos) return false;
  return true;
}

}  // namespace vomtrail
