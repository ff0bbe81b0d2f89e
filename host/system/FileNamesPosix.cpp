// Linux: arguments and file names are bytes, UTF-8 by convention.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Vomtrail.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

constexpr std::size_t kLongestName = 255;

// A folder is opened only to be named: O_PATH needs no right to list it,
// just as the path itself needs none.
#ifdef O_PATH
constexpr int kFolderHandle = O_PATH;
#else
constexpr int kFolderHandle = O_RDONLY;
#endif

void Put(Str255& name, const std::string& bytes) {
  name.Length = static_cast<std::uint8_t>(bytes.size());
  std::memcpy(name.Text, bytes.data(), bytes.size());
}

std::uint32_t FolderFailure(int error) {
  if (error == ENOENT || error == ENOTDIR) return VT_PATH_NOT_FOUND;
  if (error == EACCES || error == EPERM) return VT_ACCESS_DENIED;
  return VT_INVALID_NAME;
}

}  // namespace

const char* const kUnusableName =
    "the file's own name is too long for the module, which takes 255 bytes with the name of its folder's "
    "handle";

std::vector<std::string> CommandLineUtf8(int argc, char** argv) { return {argv, argv + argc}; }

ModuleName::ModuleName(const std::filesystem::path& path) {
  const std::string& bytes = path.native();
  if (bytes.size() <= kLongestName) {
    Put(name_, bytes);
    return;
  }
  // The kernel resolves /proc/self/fd/N to the open folder itself, so the
  // file keeps its own name there and a new file beside it lands in the
  // same folder.
  const std::string parent = path.parent_path().native();
  folder_ = ::open(parent.empty() ? "." : parent.c_str(), kFolderHandle | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) {
    failure_ = FolderFailure(errno);
    return;
  }
  const std::string shortName = "/proc/self/fd/" + std::to_string(folder_) + "/" + path.filename().native();
  if (shortName.size() > kLongestName) {
    failure_ = VT_INVALID_NAME;
    return;
  }
  Put(name_, shortName);
}

ModuleName::~ModuleName() {
  if (folder_ >= 0) ::close(folder_);
}

}  // namespace vthost
