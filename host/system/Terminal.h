// The command's place in the operating system: what its output streams are
// connected to, and the process settings it needs before it prints or
// writes anything.
#pragma once

namespace vthost {

// Windows: every text the command prints is UTF-8, so the console is told
// so. POSIX: a write beyond a file-size limit (ulimit -f) would kill the
// program with SIGXFSZ before it could say which file could not grow;
// ignored, it fails the write with EFBIG instead.
void PrepareProcess();

// Whether standard error goes to a terminal, where a person watches.
bool StderrIsTerminal();

// Whether a person can be asked a question: standard input and output are
// both a terminal.
bool CanAskOnTerminal();

}  // namespace vthost
