#include "command/ErrorWords.h"

#include <system_error>

#include "Vomtrail.h"

namespace vthost {

std::string ErrorWords(std::uint32_t code, int fileKind) {
  switch (code) {
    case VT_FILE_NOT_FOUND:
      return "no such file";
    case VT_PATH_NOT_FOUND:
      return "no such folder";
    case VT_ACCESS_DENIED:
      return "access denied";
    case VT_NOT_ENOUGH_MEMORY:
      return "not enough memory";
    case VT_INVALID_DATA:
      if (fileKind == VT_KIND_RMP3) return "not a RIFF RMP3 file";
      if (fileKind == VT_KIND_WAVE) return "not a RIFF WAVE file with a data chunk";
      return "the file's contents are not valid";
    case VT_SHARING_VIOLATION:
      return "the file is in use by another program";
    case VT_HANDLE_EOF:
      if (fileKind == VT_KIND_WAVE) return "the file ends before its data chunk";
      if (fileKind == VT_KIND_RMP3) return "the file ends before the end of its data chunk";
      return "the file ends before what it declares";
    case VT_NOT_SUPPORTED:
      return "this write mode does not apply to this file";
    case VT_DISK_FULL:
      return "the disk is full";
    case VT_INVALID_NAME:
      return "invalid file name";
    case VT_NEGATIVE_SEEK:
      return "the file's sizes point before its start";
    case VT_FILE_TOO_LARGE:
      return "the file is too large (2 GiB or more)";
    case VT_IO_DEVICE:
      return "input/output error";
    default:
      return "error " + std::to_string(code);
  }
}

std::optional<std::string> NotAFile(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error == std::errc::too_many_symbolic_link_levels)
    return "too many levels of symbolic links (a loop of links)";
  switch (status.type()) {
    case fs::file_type::directory:
      return kIsAFolder;
    case fs::file_type::fifo:
      return "is a FIFO (named pipe), not a regular file";
    case fs::file_type::character:
    case fs::file_type::block:
      return "is a device, not a regular file";
    case fs::file_type::socket:
      return "is a socket, not a regular file";
    default:
      return std::nullopt;
  }
}

std::string FailureWords(std::uint32_t code, int fileKind, const std::filesystem::path& path) {
  if (code == VT_ACCESS_DENIED || code == VT_IO_DEVICE)
    if (auto what = NotAFile(path)) return *what;
  return ErrorWords(code, fileKind);
}

}  // namespace vthost
