#include "command/FileLook.h"

#include "Record.h"
#include "Vomtrail.h"
#include "command/ErrorWords.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"
#include "system/ReadOnlyFile.h"

namespace vthost {

FileLook LookAtFile(const std::filesystem::path& path) {
  FileLook file;
  file.path = path;
  file.name = DisplayName(path);
  // One open for the inspection and the stamp; the module opens the file
  // itself, as any host's call does.
  ReadOnlyFile bytes(path);
  if (bytes.IsOpen()) file.probe = vtinspect::ProbeBytes(bytes);
  file.stamp = bytes.Stamp();
  const ModuleName moduleName(path);
  file.info = FreshRecord();
  file.code = moduleName.Failure();
  if (moduleName.Usable())
    file.code =
        file.probe.TooShort() ? std::uint32_t{VT_HANDLE_EOF} : CallGetInfo(moduleName.Name(), file.info);
  file.recordRead = file.code == VT_OK;
  const vtinspect::FileProbe& probe = file.probe;
  const bool notAudio = probe.readable && !probe.TooShort() && !probe.Recognised();
  if (file.code != VT_OK && !notAudio) {
    std::string words = file.code == VT_INVALID_NAME && !moduleName.Usable() ? kUnusableName
                        : probe.TooShort()                                   ? kTooShort
                                           : FailureWords(file.code, file.info.FileKind, path);
    if (probe.IsRiffAudio() && probe.riff->Streamed()) words = kStreamedWave;
    file.failure = words;
  }
  return file;
}

}  // namespace vthost
