// Windows: the wide command line, and the ANSI code page for the module,
// whose file functions take ANSI names.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstring>
#include <cwchar>

#ifndef VT_NO_PROTOTYPES
#define VT_NO_PROTOTYPES  // windows.h declares its own GetVersion
#endif
#include "Vomtrail.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

std::string Narrow(const wchar_t* text, UINT codePage, bool* lossy) {
  const int length = static_cast<int>(wcslen(text));
  if (length == 0) return {};
  BOOL usedDefault = FALSE;
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL* check = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const int count = ::WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, check);
  std::string out(static_cast<std::size_t>(count > 0 ? count : 0), '\0');
  ::WideCharToMultiByte(codePage, flags, text, length, out.data(), count, nullptr, nullptr);
  if (lossy != nullptr) *lossy = usedDefault != FALSE || count <= 0;
  return out;
}

}  // namespace

std::vector<std::string> CommandLineUtf8(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(wide[i], CP_UTF8, nullptr));
  ::LocalFree(wide);
  return arguments;
}

const char* const kUnusableName =
    "the name is longer than 255 bytes or has characters the system code page cannot hold";

ModuleName::ModuleName(const std::filesystem::path& path) {
  bool lossy = false;
  const std::string bytes = Narrow(path.c_str(), CP_ACP, &lossy);
  if (lossy || bytes.size() > 255) {
    failure_ = VT_INVALID_NAME;
    return;
  }
  name_.Length = static_cast<std::uint8_t>(bytes.size());
  std::memcpy(name_.Text, bytes.data(), bytes.size());
}

ModuleName::~ModuleName() = default;

}  // namespace vthost
