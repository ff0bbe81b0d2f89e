// File names between the command line, the file system and the module. The
// module takes a counted name of at most 255 bytes in the system's ANSI
// code page (Windows) or the file system's bytes (Linux).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TagInfo.h"

namespace vthost {

// The command line as UTF-8 texts, argv[0] included. Windows reads the
// wide command line, so that texts outside the ANSI code page survive.
std::vector<std::string> CommandLineUtf8(int argc, char** argv);

std::filesystem::path PathFromUtf8(const std::string& text);

std::string DisplayName(const std::filesystem::path& path);

// The name the module is given for a path, usable while this object lives.
// On Linux a path longer than the module takes is reached through the
// folder that holds the file, opened here and named by its descriptor in
// /proc/self/fd; only a file whose own name is too long for that is
// refused. Windows refuses a name longer than 255 bytes or with characters
// the ANSI code page cannot hold.
class ModuleName {
 public:
  explicit ModuleName(const std::filesystem::path& path);
  ~ModuleName();
  ModuleName(const ModuleName&) = delete;
  ModuleName& operator=(const ModuleName&) = delete;

  bool Usable() const { return failure_ == 0; }
  const Str255& Name() const { return name_; }
  // Why the path cannot be given to the module: a Win32 code (3 no such
  // folder, 5 access denied, 123 a name it cannot take).
  std::uint32_t Failure() const { return failure_; }

 private:
  Str255 name_{};
  std::uint32_t failure_ = 0;
  int folder_ = -1;  // Linux: the open folder of a long path
};

// Why a name cannot be given to the module when Failure() is 123.
extern const char* const kUnusableName;

}  // namespace vthost
