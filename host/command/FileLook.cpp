#include "command/FileLook.h"

#include "HeadAndTail.h"
#include "Record.h"
#include "Vomtrail.h"
#include "command/ErrorWords.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"
#include "system/ReadOnlyFile.h"

namespace vthost {

vtinspect::FileInspection InspectOnce(const std::filesystem::path& path,
                                      const vtinspect::InspectOptions& options,
                                      std::optional<FileStamp>* stamp) {
  ReadOnlyFile file(path);
  if (stamp != nullptr) *stamp = file.Stamp();
  if (!file.IsOpen()) return {};
  vtinspect::HeadAndTail ends(file, vtinspect::kHeadBytes, vtinspect::kTailBytes);
  return vtinspect::InspectBytes(ends, options);
}

FileLook LookAtFile(const std::filesystem::path& path) {
  FileLook file;
  file.path = path;
  file.name = DisplayName(path);
  // One open for the inspection and the stamp; the module opens the file
  // itself, as any host's call does. Tables and names need no play length.
  file.inspection = InspectOnce(path, {.tags = true, .length = false}, &file.stamp);
  const ModuleName moduleName(path);
  file.info = FreshRecord();
  file.code = moduleName.Failure();
  if (moduleName.Usable())
    file.code = file.inspection.probe.TooShort() ? std::uint32_t{VT_HANDLE_EOF}
                                                 : CallGetInfo(moduleName.Name(), file.info);
  file.recordRead = file.code == VT_OK;
  const vtinspect::FileProbe& probe = file.inspection.probe;
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
