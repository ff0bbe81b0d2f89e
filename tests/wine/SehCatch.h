// Catching the structured exception a failed GetInfo raises, the way a
// 32-bit Windows host does it: an SEH registration record linked at the head
// of the thread's handler chain. MinGW's gcc has no __try, so the record is
// linked by hand.
#pragma once

#include <cstdint>

namespace vomtrail::wine {

struct CaughtException {
  bool raised = false;
  std::uint32_t code = 0;   // the exception code, e.g. VT_EXCEPTION_CODE
  std::uint32_t flags = 0;  // EXCEPTION_NONCONTINUABLE expected
  std::uint32_t parameterCount = 0;
  std::uint32_t parameter = 0;  // the first parameter: the Win32 error code
};

// Runs work(context). When a structured exception leaves it, the frames it
// left behind are unwound and the exception is described in the result
// instead of ending the process.
CaughtException CallCatching(void (*work)(void* context), void* context);

}  // namespace vomtrail::wine
