#include <cstdlib>

#include "system/StateFolder.h"

namespace vthost {

std::optional<std::filesystem::path> StateFolder() {
  if (const wchar_t* own = ::_wgetenv(L"VOMTRAIL_STATE_HOME"); own != nullptr && own[0] != L'\0') return own;
  if (const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA"); local != nullptr && local[0] != L'\0')
    return std::filesystem::path(local) / "vomtrail";
  return std::nullopt;
}

}  // namespace vthost
