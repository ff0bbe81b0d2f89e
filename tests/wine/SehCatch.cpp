#include "SehCatch.h"

#include <windows.h>

namespace vomtrail::wine {
namespace {

// The x86 SEH registration record: the chain's next entry, then the handler.
// The rest of the struct travels with it, so the handler finds the jump
// buffer from the establisher frame it is given.
struct Registration {
  Registration* next;
  void* handler;
  void* jump[5];  // __builtin_setjmp's buffer
  CaughtException caught;
};

Registration* ChainHead() {
  Registration* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

void SetChainHead(Registration* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

extern "C" EXCEPTION_DISPOSITION __cdecl CatchingHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                         CONTEXT*, void*) {
  // Called a second time while RtlUnwind walks past this record: let it pass.
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  auto* volatile self = static_cast<Registration*>(establisherFrame);
  self->caught.raised = true;
  self->caught.code = record->ExceptionCode;
  self->caught.flags = record->ExceptionFlags;
  self->caught.parameterCount = record->NumberParameters;
  self->caught.parameter =
      record->NumberParameters > 0 ? static_cast<std::uint32_t>(record->ExceptionInformation[0]) : 0;
  // Give every frame between the raise and this record its unwind call, as
  // a compiler's __except would, then continue behind the call.
  RtlUnwind(establisherFrame, nullptr, record, nullptr);
  __builtin_longjmp(self->jump, 1);
}

}  // namespace

// Not inlined: __builtin_longjmp lands in this frame, whose locals must not
// live in registers the module or RtlUnwind may have changed.
__attribute__((noinline)) CaughtException CallCatching(void (*work)(void*), void* context) {
  Registration registration{};
  registration.handler = reinterpret_cast<void*>(&CatchingHandler);
  Registration* volatile previous = ChainHead();
  registration.next = previous;
  if (__builtin_setjmp(registration.jump) == 0) {
    SetChainHead(&registration);
    work(context);
  }
  // Both paths: the record leaves the chain before this frame does.
  SetChainHead(previous);
  return registration.caught;
}

}  // namespace vomtrail::wine
