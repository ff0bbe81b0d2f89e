// The Linux library is linked directly. A failing GetInfo throws an
// exception derived from std::system_error whose value is the Win32 code.
#include <new>
#include <system_error>

#include "Vomtrail.h"
#include "system/ModuleCalls.h"

namespace vthost {

std::string LoadModule() { return {}; }

std::uint32_t CallGetInfo(const Str255& name, TagInfo& info) {
  try {
    GetInfo(&name, &info);
    return VT_OK;
  } catch (const std::system_error& e) {
    return static_cast<std::uint32_t>(e.code().value());
  } catch (const std::bad_alloc&) {
    return VT_NOT_ENOUGH_MEMORY;
  }
}

std::int32_t CallSetInfo(const Str255& name, TagInfo& info, int mode) { return SetInfo(&name, &info, mode); }

std::int32_t CallSetInfoKeepingOld(const Str255& name, TagInfo& info, int mode, const std::string& keepAs) {
  return SetInfoKeepingOld(&name, &info, mode, keepAs.c_str());
}

bool CanKeepOldFile() { return true; }

std::string CallGetVersion() {
  Str255 buffer{};
  const Str255* version = GetVersion(&buffer);
  return {reinterpret_cast<const char*>(version->Text), version->Length};
}

}  // namespace vthost
