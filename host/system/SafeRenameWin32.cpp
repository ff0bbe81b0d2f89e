#include <windows.h>

#include "system/SafeRename.h"

namespace vthost {

std::string RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return "";
  switch (::GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return "the name exists already";
    case ERROR_ACCESS_DENIED:
      return "access denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "the file or its folder is gone";
    default:
      return "error " + std::to_string(::GetLastError());
  }
}

}  // namespace vthost
