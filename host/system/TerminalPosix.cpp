#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "system/Terminal.h"

namespace vthost {

void PrepareProcess() { std::signal(SIGXFSZ, SIG_IGN); }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

bool CanAskOnTerminal() { return ::isatty(STDIN_FILENO) != 0 && ::isatty(STDOUT_FILENO) != 0; }

}  // namespace vthost
