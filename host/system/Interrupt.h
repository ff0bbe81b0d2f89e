// Ctrl-C during a run over many files ends it after the file in hand, so
// that no file is left half done and the summary still says what was done.
// A second Ctrl-C ends the program at once, as usual.
#pragma once

namespace vthost {

// From here on the first Ctrl-C (SIGINT; the console's Ctrl-C on Windows)
// only marks the run as interrupted.
void CatchInterrupt();

// Whether Ctrl-C was pressed since CatchInterrupt. Safe on any thread.
bool Interrupted();

}  // namespace vthost
