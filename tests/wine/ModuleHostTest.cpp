// A stand-alone Windows host for Vomtrail.dll. It knows the module only
// through the public header and LoadLibrary, as a host application built
// elsewhere does, and checks what such a host relies on: the export table,
// the stdcall stack discipline, the failure exception, the sharing rules and
// that nothing is written outside the record.
//
// Usage: vt_module_host_test PATH\TO\Vomtrail.dll   (run in a scratch folder)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#define VT_NO_PROTOTYPES
#include "SehCatch.h"
#include "StackProbe.h"
#include "Vomtrail.h"

namespace {

using vomtrail::wine::CallCatching;
using vomtrail::wine::CallMeasuringStack;
using vomtrail::wine::CaughtException;

int failures = 0;

void Expect(bool ok, const char* what, long long actual = 0, long long expected = 0) {
  if (ok) return;
  ++failures;
  std::printf("FAILED: %s (got %lld, expected %lld)\n", what, actual, expected);
}

std::uint32_t Slot(const void* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

struct Module {
  HMODULE handle = nullptr;
  FARPROC getInfo = nullptr;
  FARPROC setInfo = nullptr;
  FARPROC getVersion = nullptr;
};

// --- files --------------------------------------------------------------

std::vector<std::uint8_t> ReadWholeFile(const char* path) {
  std::vector<std::uint8_t> bytes;
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  std::uint8_t buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  CloseHandle(h);
  return bytes;
}

void WriteWholeFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

// Ten MPEG-1 layer III frames (128 kbit/s, 44100 Hz, joint stereo, 417
// bytes each) followed by an ID3v1.1 block titled "Host", track 7.
std::vector<std::uint8_t> SmallTaggedStream() {
  std::vector<std::uint8_t> bytes;
  for (int frame = 0; frame < 10; ++frame) {
    const std::uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x64};
    bytes.insert(bytes.end(), header, header + 4);
    bytes.resize(bytes.size() + 413, 0x00);
  }
  std::uint8_t tag[128] = {'T', 'A', 'G', 'H', 'o', 's', 't'};
  tag[126] = 7;   // track; byte 125 stays 0, so this is ID3v1.1
  tag[127] = 12;  // genre
  bytes.insert(bytes.end(), tag, tag + 128);
  return bytes;
}

Str255 Name(const char* text) {
  Str255 name{};
  name.Length = static_cast<std::uint8_t>(std::strlen(text));
  std::memcpy(name.Text, text, name.Length);
  return name;
}

// --- a record with nothing writable behind it ---------------------------

// Memory whose end is followed by an inaccessible page: a read or write of
// the first byte past End() faults.
class GuardedTail {
 public:
  static constexpr std::size_t kPage = 4096;
  GuardedTail() {
    base_ = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, 3 * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + 2 * kPage, kPage, PAGE_NOACCESS, &old);
  }
  ~GuardedTail() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedTail(const GuardedTail&) = delete;
  GuardedTail& operator=(const GuardedTail&) = delete;
  std::uint8_t* End() const { return base_ + 2 * kPage; }

 private:
  std::uint8_t* base_ = nullptr;
};

// The record ends at the end of a committed page and the next page is
// inaccessible, so a write past the record's tail padding faults. The three
// padding bytes behind HasTag (5933 to 5935) are checked as a canary.
class GuardedRecord {
 public:
  TagInfo* Info() { return reinterpret_cast<TagInfo*>(Bytes()); }
  std::uint8_t* Bytes() const { return tail_.End() - sizeof(TagInfo); }
  void Fill(std::uint8_t value) { std::memset(Bytes(), value, sizeof(TagInfo)); }

  // The first offset whose byte differs from fill, skipping the listed
  // offsets; -1 when there is none. Covers the tail padding too.
  long FirstChangedExcept(std::uint8_t fill, std::initializer_list<std::size_t> allowed = {}) const {
    for (std::size_t i = 0; i < sizeof(TagInfo); ++i) {
      bool skip = false;
      for (std::size_t a : allowed) skip = skip || a == i;
      if (!skip && Bytes()[i] != fill) return static_cast<long>(i);
    }
    return -1;
  }

 private:
  GuardedTail tail_;
};

// --- calls ----------------------------------------------------------------

struct GetInfoCall {
  const Module* module;
  const Str255* name;
  TagInfo* info;
  std::int32_t popped = -1;
};

void RunGetInfo(void* context) {
  auto* call = static_cast<GetInfoCall*>(context);
  const std::uint32_t args[2] = {Slot(call->name), Slot(call->info)};
  call->popped =
      CallMeasuringStack(reinterpret_cast<const void*>(call->module->getInfo), args, 2).bytesPopped;
}

CaughtException GetInfoCatching(const Module& module, const Str255* name, TagInfo* info,
                                std::int32_t* popped = nullptr) {
  GetInfoCall call{&module, name, info};
  const CaughtException caught = CallCatching(&RunGetInfo, &call);
  if (popped != nullptr) *popped = call.popped;
  return caught;
}

CaughtException GetInfoCatching(const Module& module, const char* file, TagInfo* info,
                                std::int32_t* popped = nullptr) {
  const Str255 name = Name(file);
  return GetInfoCatching(module, &name, info, popped);
}

std::int32_t SetInfoProbed(const Module& module, const char* file, TagInfo* info, std::uint32_t modeSlot) {
  const Str255 name = Name(file);
  const std::uint32_t args[3] = {Slot(&name), Slot(info), modeSlot};
  const auto call = CallMeasuringStack(reinterpret_cast<const void*>(module.setInfo), args, 3);
  Expect(call.bytesPopped == 12, "SetInfo pops its 12 argument bytes", call.bytesPopped, 12);
  return static_cast<std::int32_t>(call.result);
}

void ExpectModuleFailure(const CaughtException& caught, std::uint32_t code, const char* what) {
  Expect(caught.raised, what);
  Expect(caught.code == VT_EXCEPTION_CODE, "exception code is VT_EXCEPTION_CODE", caught.code,
         VT_EXCEPTION_CODE);
  Expect(caught.flags & EXCEPTION_NONCONTINUABLE, "exception is noncontinuable", caught.flags,
         EXCEPTION_NONCONTINUABLE);
  Expect(caught.parameterCount == 1, "exception carries one parameter", caught.parameterCount, 1);
  Expect(caught.parameter == code, what, caught.parameter, code);
}

// --- the checks -------------------------------------------------------------

// The instruments first: a probe that cannot tell stdcall from cdecl, a
// catcher that misses a raise, or a guard page that does not fault would
// let every module check below pass for nothing.
int __cdecl CdeclTwo(int a, int b) { return a + b; }
int __stdcall StdcallTwo(int a, int b) { return a + b; }

void RaiseLikeTheModule(void*) {
  const ULONG_PTR code = 38;
  RaiseException(VT_EXCEPTION_CODE, EXCEPTION_NONCONTINUABLE, 1, &code);
}

void WritePastRecord(void* context) { static_cast<GuardedRecord*>(context)->Bytes()[sizeof(TagInfo)] = 1; }

void CheckInstruments() {
  const std::uint32_t args[2] = {40, 2};
  const auto cdeclCall = CallMeasuringStack(reinterpret_cast<const void*>(&CdeclTwo), args, 2);
  Expect(cdeclCall.result == 42 && cdeclCall.bytesPopped == 0, "probe sees a cdecl callee pop 0",
         cdeclCall.bytesPopped, 0);
  const auto stdcallCall = CallMeasuringStack(reinterpret_cast<const void*>(&StdcallTwo), args, 2);
  Expect(stdcallCall.result == 42 && stdcallCall.bytesPopped == 8, "probe sees a stdcall callee pop 8",
         stdcallCall.bytesPopped, 8);

  ExpectModuleFailure(CallCatching(&RaiseLikeTheModule, nullptr), VT_HANDLE_EOF, "catcher sees a raise");
  GuardedRecord record;
  const CaughtException fault = CallCatching(&WritePastRecord, &record);
  Expect(fault.raised && fault.code == EXCEPTION_ACCESS_VIOLATION, "a write past the record faults",
         fault.code, static_cast<long long>(EXCEPTION_ACCESS_VIOLATION));
}

bool LoadModule(const char* path, Module& module) {
  module.handle = LoadLibraryA(path);
  Expect(module.handle != nullptr, "LoadLibraryA loads the module", static_cast<long long>(GetLastError()));
  if (module.handle == nullptr) return false;
  const char* names[3] = {"GetInfo", "SetInfo", "GetVersion"};
  FARPROC* slots[3] = {&module.getInfo, &module.setInfo, &module.getVersion};
  for (int ordinal = 1; ordinal <= 3; ++ordinal) {
    FARPROC byName = GetProcAddress(module.handle, names[ordinal - 1]);
    FARPROC byOrdinal = GetProcAddress(module.handle, MAKEINTRESOURCEA(ordinal));
    Expect(byName != nullptr, names[ordinal - 1]);
    Expect(byName == byOrdinal, "export by name and by ordinal agree", ordinal);
    *slots[ordinal - 1] = byName;
  }
  // Decorated or underscored names would mean the .def file was not used.
  Expect(GetProcAddress(module.handle, "GetVersion@4") == nullptr, "no decorated GetVersion@4 export");
  Expect(GetProcAddress(module.handle, "_GetInfo@8") == nullptr, "no decorated _GetInfo@8 export");
  // The module's GetVersion must not be the system's function of that name.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  Expect(module.getVersion != GetProcAddress(kernel, "GetVersion"), "GetVersion is the module's own");
  return module.getInfo && module.setInfo && module.getVersion;
}

void CheckGetVersion(const Module& module) {
  std::uint8_t buffer[260];
  std::memset(buffer, 0xFF, sizeof buffer);
  const std::uint32_t args[1] = {Slot(buffer)};
  const auto call = CallMeasuringStack(reinterpret_cast<const void*>(module.getVersion), args, 1);
  Expect(call.bytesPopped == 4, "GetVersion pops its 4 argument bytes", call.bytesPopped, 4);
  Expect(call.result == Slot(buffer), "GetVersion returns the caller's buffer");
  // The counted version text the build gave the module: its length byte,
  // then the text; nothing behind it.
  const std::size_t length = std::strlen(VT_EXPECTED_VERSION);
  Expect(buffer[0] == length && std::memcmp(buffer + 1, VT_EXPECTED_VERSION, length) == 0,
         "GetVersion writes the counted version text");
  for (std::size_t i = 1 + length; i < sizeof buffer; ++i)
    if (buffer[i] != 0xFF)
      Expect(false, "GetVersion leaves the rest of the buffer", static_cast<long long>(i));
}

void CheckGetInfoOnTaggedStream(const Module& module) {
  WriteWholeFile("tagged.mp3", SmallTaggedStream());
  GuardedRecord record;
  record.Fill(0xAA);
  std::int32_t popped = -1;
  const CaughtException caught = GetInfoCatching(module, "tagged.mp3", record.Info(), &popped);
  Expect(!caught.raised, "GetInfo on a tagged stream does not fail", caught.parameter);
  Expect(popped == 8, "GetInfo pops its 8 argument bytes", popped, 8);
  const TagInfo& info = *record.Info();
  Expect(info.Bitrate == 128000, "Bitrate", info.Bitrate, 128000);
  Expect(info.SampleRate == 44100, "SampleRate", info.SampleRate, 44100);
  Expect(info.FileSize == 10 * 417 + 128, "FileSize", info.FileSize, 10 * 417 + 128);
  Expect(info.HasTag == 1 && info.TagKind == VT_TAG_ID3V11 && info.Track == 7, "ID3v1.1 block found");
  Expect(info.Items[VT_ITEM_TITLE].Length == 4 && std::memcmp(info.Items[VT_ITEM_TITLE].Text, "Host", 4) == 0,
         "Title read");
  // The gaps and the tail padding belong to the host.
  const std::uint8_t* bytes = record.Bytes();
  for (std::size_t offset : {18u, 19u, 5917u, 5918u, 5919u, 5926u, 5927u, 5933u, 5934u, 5935u})
    Expect(bytes[offset] == 0xAA, "gap or tail byte untouched", static_cast<long long>(offset));
}

void CheckFailures(const Module& module) {
  GuardedRecord record;

  record.Fill(0xAA);
  ExpectModuleFailure(GetInfoCatching(module, "no such file.mp3", record.Info()), VT_FILE_NOT_FOUND,
                      "missing file fails with 2");
  Expect(record.FirstChangedExcept(0xAA) == -1, "missing file: no byte of the record written",
         record.FirstChangedExcept(0xAA), -1);

  WriteWholeFile("short.mp3", {0xFF, 0xFB, 0x90});
  record.Fill(0xAA);
  ExpectModuleFailure(GetInfoCatching(module, "short.mp3", record.Info()), VT_HANDLE_EOF,
                      "3-byte file fails with 38");
  Expect(record.Info()->Vbr == 0, "3-byte file: Vbr cleared before the failing read");
  Expect(record.FirstChangedExcept(0xAA, {5925}) == -1, "3-byte file: only Vbr written",
         record.FirstChangedExcept(0xAA, {5925}), -1);
  // The module closed the file before the exception left: nobody else may
  // hold it now, so an exclusive open succeeds.
  HANDLE h = CreateFileA("short.mp3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Expect(h != INVALID_HANDLE_VALUE, "file closed after the failure");
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

  record.Fill(0xAA);
  ExpectModuleFailure(GetInfoCatching(module, "", record.Info()), VT_INVALID_NAME,
                      "empty name fails with 123");
}

// A name of 255 bytes fills its Str255 to the last byte, and the page
// behind it is inaccessible: the module must copy exactly length + 1 bytes
// and terminate the copy itself.
void CheckLongestName(const Module& module) {
  const std::string longest(255, 'n');
  WriteWholeFile(longest.c_str(), SmallTaggedStream());
  GuardedTail space;
  auto* name = reinterpret_cast<Str255*>(space.End() - sizeof(Str255));
  name->Length = 255;
  std::memcpy(name->Text, longest.data(), 255);
  GuardedRecord record;
  record.Fill(0);
  const CaughtException caught = GetInfoCatching(module, name, record.Info());
  Expect(!caught.raised, "GetInfo with a 255-byte name", caught.code, 0);
  Expect(record.Info()->FileSize == 10 * 417 + 128, "the 255-byte name opens the right file",
         record.Info()->FileSize, 10 * 417 + 128);
  DeleteFileA(longest.c_str());
}

void CheckSharing(const Module& module) {
  const std::vector<std::uint8_t> original = SmallTaggedStream();
  WriteWholeFile("locked.mp3", original);
  GuardedRecord record;
  record.Fill(0);
  Expect(!GetInfoCatching(module, "locked.mp3", record.Info()).raised, "GetInfo before locking");

  HANDLE lock = CreateFileA("locked.mp3", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Expect(lock != INVALID_HANDLE_VALUE, "host opens the file without sharing");
  const std::int32_t result = SetInfoProbed(module, "locked.mp3", record.Info(), 0);
  Expect(result == VT_SHARING_VIOLATION, "SetInfo on a file in use returns 32", result, VT_SHARING_VIOLATION);
  TagInfo probe{};
  ExpectModuleFailure(GetInfoCatching(module, "locked.mp3", &probe), VT_SHARING_VIOLATION,
                      "GetInfo on a file in use fails with 32");
  CloseHandle(lock);
  Expect(ReadWholeFile("locked.mp3") == original, "file in use left byte-identical");
}

void CheckSetInfoRoundTrip(const Module& module) {
  WriteWholeFile("rewrite.mp3", SmallTaggedStream());
  GuardedRecord record;
  record.Fill(0);
  Expect(!GetInfoCatching(module, "rewrite.mp3", record.Info()).raised, "GetInfo before rewriting");
  TagInfo& info = *record.Info();
  info.Items[VT_ITEM_TITLE] = Name("Rewritten");
  // SetInfo may write item 10 of the record and nothing else of it.
  std::uint8_t* bytes = record.Bytes();
  for (std::size_t offset : {18u, 19u, 5917u, 5918u, 5919u, 5926u, 5927u, 5933u, 5934u, 5935u})
    bytes[offset] = 0x5A;
  // Only the low byte of the mode slot counts: this is mode 0.
  const std::int32_t result = SetInfoProbed(module, "rewrite.mp3", &info, 0xFFFFFF00u);
  Expect(result == 0, "SetInfo mode 0 succeeds", result, 0);
  const std::vector<std::uint8_t> after = ReadWholeFile("rewrite.mp3");
  Expect(after.size() == 10 * 417 + 128, "mode 0 keeps the audio and one ID3v1 block",
         static_cast<long long>(after.size()), 10 * 417 + 128);
  Expect(after.size() >= 128 && std::memcmp(&after[after.size() - 128], "TAGRewritten", 12) == 0,
         "the new title is in the block");
  for (std::size_t offset : {18u, 19u, 5917u, 5918u, 5919u, 5926u, 5927u, 5933u, 5934u, 5935u})
    Expect(bytes[offset] == 0x5A, "SetInfo leaves gaps and tail padding", static_cast<long long>(offset));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: %s MODULE.dll\n", argv[0]);
    return 2;
  }
  CheckInstruments();
  Module module;
  if (!LoadModule(argv[1], module)) {
    std::printf("%d failure(s)\n", failures);
    return 1;
  }
  CheckGetVersion(module);
  CheckGetInfoOnTaggedStream(module);
  CheckFailures(module);
  // After caught failures the module and the thread must still work.
  CheckGetVersion(module);
  CheckLongestName(module);
  CheckSharing(module);
  CheckSetInfoRoundTrip(module);
  Expect(FreeLibrary(module.handle) != 0, "FreeLibrary unloads the module");
  std::printf("%s: %d failure(s)\n", failures == 0 ? "PASSED" : "FAILED", failures);
  return failures == 0 ? 0 : 1;
}
