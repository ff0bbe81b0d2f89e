// Vomtrail.dll is loaded by name, as a tagging application loads it. A
// failing GetInfo raises the structured exception VT_EXCEPTION_CODE, which
// a C++ catch never sees and MinGW has no __try for. A vectored handler
// catches it instead and jumps back to the point of the call with the
// code; the module has released everything of its own before raising, so
// nothing is left behind on the abandoned frames.
#include <intrin.h>
#include <windows.h>

#include <csetjmp>

#ifndef VT_NO_PROTOTYPES
#define VT_NO_PROTOTYPES
#endif
#include "Vomtrail.h"
#include "system/ModuleCalls.h"

namespace vthost {
namespace {

VtGetInfoFn getInfo = nullptr;
VtSetInfoFn setInfo = nullptr;
VtGetVersionFn getVersion = nullptr;

// Scans call GetInfo on several threads at once, and the handler runs on
// the thread that raised: each thread lands in its own frame. Shared, one
// thread's failure jumped onto another's stack.
thread_local std::jmp_buf landing;
thread_local volatile bool armed = false;
thread_local volatile DWORD failureCode = 0;

LONG CALLBACK CatchGetInfoFailure(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  if (!armed || record->ExceptionCode != VT_EXCEPTION_CODE) return EXCEPTION_CONTINUE_SEARCH;
  armed = false;
  failureCode = record->NumberParameters >= 1 ? static_cast<DWORD>(record->ExceptionInformation[0])
                                              : static_cast<DWORD>(VT_IO_DEVICE);
  std::longjmp(landing, 1);
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

std::string LoadModule() {
  HMODULE module = ::LoadLibraryA("Vomtrail.dll");
  if (module == nullptr) return "cannot load Vomtrail.dll (error " + std::to_string(::GetLastError()) + ")";
  getInfo = Export<VtGetInfoFn>(module, "GetInfo");
  setInfo = Export<VtSetInfoFn>(module, "SetInfo");
  getVersion = Export<VtGetVersionFn>(module, "GetVersion");
  if (getInfo == nullptr || setInfo == nullptr || getVersion == nullptr)
    return "Vomtrail.dll lacks GetInfo, SetInfo or GetVersion";
  if (::AddVectoredExceptionHandler(1, CatchGetInfoFailure) == nullptr)
    return "cannot install the exception handler";
  return {};
}

std::uint32_t CallGetInfo(const Str255& name, TagInfo& info) {
  // The system's exception dispatch leaves its own records on the chain of
  // frame handlers; the head is put back as it was before the call.
  const volatile unsigned long chainHead = __readfsdword(0);
  if (setjmp(landing) != 0) {
    __writefsdword(0, chainHead);
    return failureCode;
  }
  armed = true;
  getInfo(&name, &info);
  armed = false;
  return VT_OK;
}

std::int32_t CallSetInfo(const Str255& name, TagInfo& info, int mode) { return setInfo(&name, &info, mode); }

// The DLL's export table is fixed at GetInfo, SetInfo and GetVersion: a
// backup on Windows is a copy.
std::int32_t CallSetInfoKeepingOld(const Str255&, TagInfo&, int, const std::string&) {
  return VT_NOT_SUPPORTED;
}

bool CanKeepOldFile() { return false; }

std::string CallGetVersion() {
  Str255 buffer{};
  const Str255* version = getVersion(&buffer);
  return {reinterpret_cast<const char*>(version->Text), version->Length};
}

}  // namespace vthost
