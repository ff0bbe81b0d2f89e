#include <csignal>

#include <atomic>

#include "system/Interrupt.h"

namespace vthost {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterrupt(int) { interrupted.store(true); }

}  // namespace

void CatchInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = static_cast<int>(SA_RESETHAND);  // the second Ctrl-C meets the default action
  ::sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return interrupted.load(); }

}  // namespace vthost
