#include "journal/ContentRestore.h"

#include <fstream>
#include <system_error>

#include "system/FileStamp.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;

bool CopyBytes(std::istream& in, std::ostream& out, std::uint64_t length) {
  std::vector<char> buffer(1 << 20);
  while (length > 0) {
    const std::size_t want = length < buffer.size() ? static_cast<std::size_t>(length) : buffer.size();
    if (!in.read(buffer.data(), static_cast<std::streamsize>(want))) return false;
    if (!out.write(buffer.data(), static_cast<std::streamsize>(want))) return false;
    length -= want;
  }
  return true;
}

}  // namespace

std::string RestoreContent(const fs::path& path, const std::vector<RestorePiece>& pieces) {
  fs::path fresh = path;
  fresh += ".vomtrail-undo";
  std::error_code error;
  if (fs::exists(fs::symlink_status(fresh, error)))
    return "a file named " + fresh.filename().string() + " is in the way";
  {
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    if (!out) return "no new file can be made beside it";
    std::ifstream self(path, std::ios::binary);
    for (const RestorePiece& piece : pieces) {
      bool ok;
      if (piece.offset) {
        self.seekg(static_cast<std::streamoff>(*piece.offset));
        ok = CopyBytes(self, out, piece.length);
      } else {
        std::ifstream kept(piece.kept, std::ios::binary);
        ok = kept && CopyBytes(kept, out, fs::file_size(piece.kept, error));
      }
      if (!ok || error) {
        out.close();
        fs::remove(fresh, error);
        return "the kept bytes cannot be read or written";
      }
    }
  }
  fs::permissions(fresh, fs::status(path, error).permissions(), error);
  if (!FlushToDisk(fresh)) {
    fs::remove(fresh, error);
    return "the new content cannot be flushed to the disk";
  }
  fs::rename(fresh, path, error);
  if (error) {
    fs::remove(fresh, error);
    return "the file cannot be replaced (" + error.message() + ")";
  }
  return "";
}

}  // namespace vthost
