#include "command/FileReading.h"

#include "Record.h"
#include "Vomtrail.h"
#include "command/ErrorWords.h"
#include "command/FileLook.h"
#include "report/FileReport.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"

namespace vthost {
namespace {

constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;

}  // namespace

FileReading ReadFile(const std::filesystem::path& path, const std::string& name, const std::string& encoding,
                     const vtinspect::InspectOptions& options) {
  const vtinspect::FileInspection inspection = InspectOnce(path, options);
  const vtinspect::FileProbe& probe = inspection.probe;
  const ModuleName moduleName(path);
  TagInfo info = FreshRecord();
  std::uint32_t code = moduleName.Failure();
  if (moduleName.Usable())
    code = probe.TooShort() ? std::uint32_t{VT_HANDLE_EOF} : CallGetInfo(moduleName.Name(), info);

  FileReading reading;
  // A file the module refuses for its size is shown from what the command
  // reads itself: it reads files of any size.
  if (code == VT_FILE_TOO_LARGE && probe.readable && probe.size >= kTwoGiB && probe.Recognised()) {
    reading.words = ErrorWords(code, info.FileKind);
    reading.report = DescribeFile({name, info, false, probe, inspection, reading.words}, encoding);
    return reading;
  }
  // A file that is not MPEG audio is reported as such, whatever the module
  // made of its bytes; its failure words would only mislead.
  const bool notAudio = probe.readable && !probe.TooShort() && !probe.Recognised();
  if (code != VT_OK && !notAudio) {
    std::string words = code == VT_INVALID_NAME && !moduleName.Usable() ? kUnusableName
                        : probe.TooShort()                              ? kTooShort
                                           : FailureWords(code, info.FileKind, path);
    if (probe.IsRiffAudio() && probe.riff->Streamed()) words = kStreamedWave;
    reading.failure = code;
    reading.words = words;
    reading.report = DescribeFailure(name, code, words);
    return reading;
  }
  reading.report = DescribeFile({name, info, code == VT_OK, probe, inspection}, encoding);
  return reading;
}

}  // namespace vthost
