#include <windows.h>

#include <atomic>

#include "system/Interrupt.h"

namespace vthost {
namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // The second one goes to the default handler, which ends the program.
  return interrupted.exchange(true) ? FALSE : TRUE;
}

}  // namespace

void CatchInterrupt() { ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool Interrupted() { return interrupted.load(); }

}  // namespace vthost
