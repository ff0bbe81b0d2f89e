#include "StackProbe.h"

// The call is made in assembly so that nothing the compiler does around a
// call (argument space reserved in the prologue, restoring ESP from EBP) can
// hide a callee that pops the wrong number of bytes.
//
// uint32_t VtProbedCall(const void* fn, const uint32_t* args, uint32_t count,
//                       int32_t* espDelta)   -- cdecl
// *espDelta = ESP after the call minus ESP before the arguments were pushed.
asm(R"(
    .text
    .globl _VtProbedCall
_VtProbedCall:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  8(%ebp), %ebx
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
    movl  %esp, %edi
1:  testl %ecx, %ecx
    jz    2f
    pushl -4(%esi,%ecx,4)
    decl  %ecx
    jmp   1b
2:  call  *%ebx
    movl  %esp, %ecx
    subl  %edi, %ecx
    movl  20(%ebp), %edx
    movl  %ecx, (%edx)
    movl  %edi, %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");

extern "C" std::uint32_t VtProbedCall(const void* function, const std::uint32_t* arguments,
                                      std::uint32_t count, std::int32_t* espDelta);

namespace vomtrail::wine {

ProbedCall CallMeasuringStack(const void* function, const std::uint32_t* arguments, std::uint32_t count) {
  std::int32_t delta = 0;
  const std::uint32_t result = VtProbedCall(function, arguments, count, &delta);
  // Pushing count slots moved ESP down by 4 x count; what came back up is
  // what the callee removed.
  return {result, delta + static_cast<std::int32_t>(4 * count)};
}

}  // namespace vomtrail::wine
