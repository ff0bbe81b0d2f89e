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

// SetInfo that keeps the old file under `keepAs` (a path beside it) when
// the write puts a new file in its place: the backup is the old file
// itself, no copy. VT_NOT_SUPPORTED, the file untouched, when the write
// would not go through a new file, or where the module has no such call
// (the DLL's exports are GetInfo, SetInfo and GetVersion alone).
std::int32_t CallSetInfoKeepingOld(const Str255& name, TagInfo& info, int mode, const std::string& keepAs);

// Whether the module has CallSetInfoKeepingOld's call at all.
bool CanKeepOldFile();

// GetVersion as text.
std::string CallGetVersion();

}  // namespace vthost
