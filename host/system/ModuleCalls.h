// The host's only door into the module: the three exported functions, called
// exactly as any host calls them, with their failures turned into plain
// Win32 codes. On Linux the shared library is linked; on Windows
// Vomtrail.dll is loaded at run time (ModuleCallsWin32.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "TagInfo.h"

namespace vthost {

// Makes the module callable. Returns an empty text on success, otherwise
// what went wrong (Windows: the DLL or one of its exports is missing).
std::string LoadModule();

// GetInfo: 0 when the record was filled, else the Win32 code of the failure
// (the record may then hold the fields written before it).
std::uint32_t CallGetInfo(const Str255& name, TagInfo& info);

// SetInfo: the module's result, 0 or a Win32 code.
std::int32_t CallSetInfo(const Str255& name, TagInfo& info, int mode);

// GetVersion as text.
std::string CallGetVersion();

}  // namespace vthost
