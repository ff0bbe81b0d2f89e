#include <io.h>
#include <windows.h>

#include <cstdio>

#include "system/Terminal.h"

namespace vthost {

void PrepareProcess() { ::SetConsoleOutputCP(CP_UTF8); }

bool StderrIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

bool CanAskOnTerminal() { return ::_isatty(::_fileno(stdin)) != 0 && ::_isatty(::_fileno(stdout)) != 0; }

}  // namespace vthost
