#include "Unsynchronisation.h"

namespace vtinspect {

std::vector<std::uint8_t> RemoveUnsynchronisation(Bytes bytes, std::vector<std::uint32_t>* dropped) {
  std::vector<std::uint8_t> out;
  out.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    out.push_back(bytes[at]);
    if (bytes[at] == 0xFF && at + 1 < bytes.size() && bytes[at + 1] == 0) {
      ++at;
      if (dropped) dropped->push_back(static_cast<std::uint32_t>(out.size()));
    }
  }
  return out;
}

void AppendUnsynchronised(Bytes bytes, std::vector<std::uint8_t>& out) {
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    out.push_back(bytes[at]);
    if (bytes[at] != 0xFF) continue;
    if (at + 1 == bytes.size() || bytes[at + 1] >= 0xE0 || bytes[at + 1] == 0) out.push_back(0);
  }
}

}  // namespace vtinspect
