#include "command/TagWrite.h"

#include <iostream>

#include "FileProbe.h"
#include "Record.h"
#include "Vomtrail.h"
#include "command/ErrorWords.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "edits/InfoCarry.h"
#include "report/OutputEscape.h"
#include "system/FileKeeping.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"

namespace vthost {
namespace {

int ModeFor(const std::optional<int>& mode, const TagInfo& info) {
  if (mode) return *mode;
  return info.FileKind == VT_KIND_RMP3   ? VT_MODE_RMP3
         : info.FileKind == VT_KIND_WAVE ? VT_MODE_WAVE
                                         : VT_MODE_MP3;
}

// The mode that keeps a file of this kind as it is.
int KeepingMode(int kind) {
  return kind == VT_KIND_RMP3 ? VT_MODE_RMP3 : kind == VT_KIND_WAVE ? VT_MODE_WAVE : VT_MODE_MP3;
}

}  // namespace

WriteOutcome WriteTags(const std::filesystem::path& path, const SetOptions& options, const TagEdits& edits,
                       RunJournal& journal) {
  const std::string name = DisplayName(path);
  const ModuleName moduleName(path);
  if (!moduleName.Usable()) {
    const std::uint32_t code = moduleName.Failure();
    ReportFailure(name, code == VT_INVALID_NAME ? kUnusableName : FailureWords(code, 0, path));
    return WriteOutcome::Failed;
  }
  const vtinspect::FileProbe probe = vtinspect::ProbeFile(path);
  if (probe.readable && (probe.TooShort() || (!probe.Recognised() && !options.force) ||
                         (probe.IsRiffAudio() && probe.riff->Streamed()))) {
    ReportFailure(name, probe.TooShort()      ? kTooShort
                        : probe.IsRiffAudio() ? kStreamedWave
                                              : "not MPEG audio; nothing written (--force writes it anyway)");
    return WriteOutcome::Refused;
  }
  TagInfo info = FreshRecord();
  if (const std::uint32_t code = CallGetInfo(moduleName.Name(), info); code != VT_OK) {
    ReportFailure(name, FailureWords(code, info.FileKind, path));
    return WriteOutcome::Failed;
  }
  if (probe.IsWave()) info.FileKind = VT_KIND_WAVE;
  const int mode = ModeFor(options.mode, info);
  if (info.FileKind == VT_KIND_WAVE && mode != VT_MODE_WAVE && !options.force && probe.IsNonMpegWave()) {
    ReportFailure(name, "the WAVE file holds no MPEG audio; writing it as " + std::string(ModeName(mode)) +
                            " would throw its audio away (--force does it anyway)");
    return WriteOutcome::Refused;
  }
  if (mode != VT_MODE_MP3 && probe.riff) CarryHeadInfo(probe.riff->headInfo, info);
  for (const CutField& cut : ApplyEdits(edits, info))
    ReportWarning(name, "the " + cut.label + " is cut to " + std::to_string(cut.width) + " bytes");
  if (mode != VT_MODE_MP3) {
    MirrorId3v1Edits(edits, info);
    for (const std::string& id : CutInfoTexts(info))
      ReportWarning(name, "the INFO " + id + " text is cut to " + std::to_string(kInfoTextWidth) + " bytes");
  }
  const bool moving = mode != KeepingMode(info.FileKind);
  const int entry = journal.BeforeContent(path, probe, moving);
  const std::int32_t code = CallSetInfo(moduleName.Name(), info, mode);
  journal.AfterContent(entry, path, code == VT_OK);
  if (code != VT_OK) {
    ReportFailure(name, FailureWords(static_cast<std::uint32_t>(code), info.FileKind, path));
    return WriteOutcome::Failed;
  }
  Progress::ClearActive();
  std::cout << EscapeControls(name) << ": written as " << ModeName(mode) << std::endl;
  return WriteOutcome::Written;
}

}  // namespace vthost
