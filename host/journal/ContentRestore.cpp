#include "journal/ContentRestore.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "command/ErrorWords.h"
#include "edits/ContentPlan.h"
#include "system/ContentWrites.h"
#include "system/FileNames.h"

namespace vthost {

std::string RestoreContent(const std::filesystem::path& path, const std::vector<RestorePiece>& pieces) {
  ContentPlan plan;
  std::uint64_t start = 0;
  for (const RestorePiece& piece : pieces) {
    if (piece.offset) {
      plan.push_back(OldBytes(start, *piece.offset, piece.length));
      start += piece.length;
      continue;
    }
    std::ifstream in(piece.kept, std::ios::binary);
    if (!in) return "the journal's copy of its bytes cannot be read";
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) return "the journal's copy of its bytes cannot be read";
    const std::uint64_t at = start;
    start += bytes.size();
    plan.push_back(NewBytes(at, std::move(bytes)));
  }
  const ModuleName name(path);
  if (!name.Usable()) return kUnusableName;
  const std::uint32_t code = CommitPlan(name.Name(), plan);
  return code == 0 ? std::string() : FailureWords(code, 0, path);
}

}  // namespace vthost
