// Calls a function through a pointer with 32-bit argument slots pushed right
// to left, and reports how many bytes of arguments the callee removed from
// the stack. A stdcall function removes all of them; a cdecl one none.
#pragma once

#include <cstdint>

namespace vomtrail::wine {

struct ProbedCall {
  std::uint32_t result;      // EAX after the call
  std::int32_t bytesPopped;  // argument bytes the callee took off the stack
};

ProbedCall CallMeasuringStack(const void* function, const std::uint32_t* arguments, std::uint32_t count);

}  // namespace vomtrail::wine
