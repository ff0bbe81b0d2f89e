// A file's stamp from what Windows says of an open handle, for every reader
// of stamps on Windows (the stamp by name, the read-only file's own).
#pragma once

#include <windows.h>

#include "system/FileStamp.h"

namespace vthost {

FileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& about);

}  // namespace vthost
