// Dumps what the module makes of a list of files, in a form that can be
// compared byte for byte between the Linux library and the Windows DLL.
//
//   vt_record_dump MODULE OUTPUT [--fill BYTE] [--set MODE]... FILE...
//
// For each FILE: a record of 5933 bytes, every byte BYTE (default 0xAA), is
// passed to GetInfo; the dump gets the failure code (0 when none) and the
// hex of the record. For each --set MODE: the file is copied, GetInfo and
// then SetInfo(MODE) run on the copy, and the dump gets both codes, the hex
// of the record afterwards and the hex of the rewritten file.
//
// The dump goes to OUTPUT rather than standard output: under Wine, output
// through a pipe is slow. Only the public header is used, and the module is
// loaded at run time (dlopen or LoadLibrary), as a host would.
#if defined(_WIN32)
#include <windows.h>
#define VT_NO_PROTOTYPES
#include "SehCatch.h"
#else
#include <dlfcn.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "Vomtrail.h"

namespace {

constexpr std::size_t kRecordBytes = VT_TAGINFO_LAST_OFFSET + 1;

struct Module {
  VtGetInfoFn getInfo = nullptr;
  VtSetInfoFn setInfo = nullptr;
};

bool Load(const char* path, Module& module) {
#if defined(_WIN32)
  HMODULE handle = LoadLibraryA(path);
  if (handle == nullptr) return false;
  module.getInfo = reinterpret_cast<VtGetInfoFn>(reinterpret_cast<void*>(GetProcAddress(handle, "GetInfo")));
  module.setInfo = reinterpret_cast<VtSetInfoFn>(reinterpret_cast<void*>(GetProcAddress(handle, "SetInfo")));
#else
  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return false;
  module.getInfo = reinterpret_cast<VtGetInfoFn>(dlsym(handle, "GetInfo"));
  module.setInfo = reinterpret_cast<VtSetInfoFn>(dlsym(handle, "SetInfo"));
#endif
  return module.getInfo != nullptr && module.setInfo != nullptr;
}

Str255 Name(const std::string& path) {
  Str255 name{};
  name.Length = static_cast<std::uint8_t>(path.size() > 255 ? 255 : path.size());
  std::memcpy(name.Text, path.data(), name.Length);
  return name;
}

#if defined(_WIN32)
struct GetInfoCall {
  VtGetInfoFn function;
  const Str255* name;
  TagInfo* info;
};
void RunGetInfo(void* context) {
  auto* call = static_cast<GetInfoCall*>(context);
  call->function(call->name, call->info);
}
#endif

// The failure code of GetInfo, 0 when it returned normally. Any other way
// out of the module is written as a code of its own with bit 31 set, so
// that it shows up as a difference.
std::uint32_t CallGetInfo(const Module& module, const std::string& path, TagInfo* info) {
  const Str255 name = Name(path);
#if defined(_WIN32)
  GetInfoCall call{module.getInfo, &name, info};
  const vomtrail::wine::CaughtException caught = vomtrail::wine::CallCatching(&RunGetInfo, &call);
  if (!caught.raised) return 0;
  if (caught.code == VT_EXCEPTION_CODE && caught.parameterCount == 1) return caught.parameter;
  return 0x80000000u | (caught.code & 0xFFFFu);
#else
  try {
    module.getInfo(&name, info);
    return 0;
  } catch (const std::system_error& e) {
    return static_cast<std::uint32_t>(e.code().value());
  } catch (...) {
    return 0x80000000u;
  }
#endif
}

void WriteHex(std::FILE* out, const std::uint8_t* bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string line(2 * size + 1, '\n');
  for (std::size_t i = 0; i < size; ++i) {
    line[2 * i] = kDigits[bytes[i] >> 4];
    line[2 * i + 1] = kDigits[bytes[i] & 15];
  }
  std::fwrite(line.data(), 1, line.size(), out);
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The record lives in a heap block of exactly 5933 bytes (new[] aligns it
// for TagInfo's 32-bit fields): the module reads and writes nothing past
// HasTag, and in the sanitizer build a byte more would be reported.
struct Record {
  std::unique_ptr<std::uint8_t[]> storage{new std::uint8_t[kRecordBytes]};
  std::uint8_t* bytes() { return storage.get(); }
  TagInfo* info() { return reinterpret_cast<TagInfo*>(storage.get()); }
};

void DumpGetInfo(const Module& module, const std::string& path, std::uint8_t fill, std::FILE* out) {
  Record record;
  std::memset(record.bytes(), fill, kRecordBytes);
  const std::uint32_t code = CallGetInfo(module, path, record.info());
  std::fprintf(out, "get %s %u\n", path.c_str(), code);
  WriteHex(out, record.bytes(), kRecordBytes);
}

void DumpSetInfo(const Module& module, const std::string& path, std::uint8_t fill, int mode, std::FILE* out) {
  const std::string copy = path + ".vtcopy";
  std::fprintf(out, "set%d %s ", mode, path.c_str());
  if (!std::ifstream(path, std::ios::binary).is_open()) {
    std::fprintf(out, "no-source\n");
    return;
  }
  if (!WriteFileBytes(copy, ReadFileBytes(path))) {
    std::fprintf(out, "copy-failed\n");
    return;
  }
  Record record;
  std::memset(record.bytes(), fill, kRecordBytes);
  const std::uint32_t getCode = CallGetInfo(module, copy, record.info());
  const Str255 name = Name(copy);
  const std::int32_t setCode = module.setInfo(&name, record.info(), mode);
  const std::vector<std::uint8_t> written = ReadFileBytes(copy);
  std::remove(copy.c_str());
  std::fprintf(out, "%u %d %zu\n", getCode, setCode, written.size());
  WriteHex(out, record.bytes(), kRecordBytes);
  WriteHex(out, written.data(), written.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MODULE OUTPUT [--fill BYTE] [--set MODE]... FILE...\n", argv[0]);
    return 2;
  }
  Module module;
  if (!Load(argv[1], module)) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  std::uint8_t fill = 0xAA;
  std::vector<int> modes;
  std::vector<std::string> files;
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--fill" && i + 1 < argc) {
      fill = static_cast<std::uint8_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (arg == "--set" && i + 1 < argc) {
      modes.push_back(static_cast<int>(std::strtol(argv[++i], nullptr, 0)));
    } else {
      files.push_back(arg);
    }
  }
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  for (const std::string& file : files) {
    DumpGetInfo(module, file, fill, out);
    for (int mode : modes) DumpSetInfo(module, file, fill, mode, out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
