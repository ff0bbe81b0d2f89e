#include "command/SetCommand.h"

#include <filesystem>
#include <iostream>

#include "FileProbe.h"
#include "Record.h"
#include "Vomtrail.h"
#include "command/ErrorWords.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "edits/InfoCarry.h"
#include "report/FileWords.h"
#include "report/OutputEscape.h"
#include "system/FileKeeping.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"

namespace vthost {
namespace {

using vtinspect::FileProbe;

constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;

constexpr std::pair<const char*, int> kModes[] = {
    {"mp3", VT_MODE_MP3}, {"rmp3", VT_MODE_RMP3}, {"wave", VT_MODE_WAVE}};

// Without --to a file keeps its form: each FileKind has the mode that
// writes it.
int ModeFor(const std::optional<int>& mode, const TagInfo& info) {
  if (mode) return *mode;
  switch (info.FileKind) {
    case VT_KIND_RMP3:
      return VT_MODE_RMP3;
    case VT_KIND_WAVE:
      return VT_MODE_WAVE;
    default:
      return VT_MODE_MP3;
  }
}

// Why a WAVE file must not become an MP3 or RMP3 file: those forms keep only
// the data chunk's bytes, which is right for MPEG audio and throws PCM away.
std::string PcmRefusal(const FileProbe& probe, int mode) {
  std::string what = "has no fmt chunk that shows MPEG audio";
  if (probe.riff->format)
    what = "holds audio of format " + WaveFormatName(probe.riff->format->tag) + ", not MPEG";
  return "the WAVE file " + what + "; writing it as " + ModeName(mode) +
         " would throw its audio away (--force does it anyway)";
}

std::string NotAudioRefusal(const FileProbe& probe) {
  return "not MPEG audio" +
         (probe.looksLike.empty() ? std::string() : " (looks like " + probe.looksLike + ")") +
         "; nothing written (--force writes it anyway)";
}

std::string Listed(const std::vector<std::string>& ids) {
  std::string text;
  for (const std::string& id : ids) text += (text.empty() ? "" : ", ") + id;
  return text;
}

// The checks that need only the file's own bytes; the refusal, or nothing.
std::optional<std::string> Refusal(const FileProbe& probe, const SetOptions& options) {
  if (!probe.readable) return std::nullopt;  // the module names the failure
  if (probe.TooShort()) return kTooShort;
  if (probe.IsRiffAudio() && probe.riff->Streamed()) return kStreamedWave;  // --force cannot help
  if (!probe.Recognised() && !options.force) return NotAudioRefusal(probe);
  return std::nullopt;
}

// Brings the record's INFO texts in line with the edits for RIFF output, and
// names what an MP3 or RMP3 file would lose.
void PrepareInfoTexts(const std::string& name, const FileProbe& probe, const TagEdits& edits, int mode,
                      TagInfo& info) {
  static const std::vector<vtinspect::InfoText> kNoHead;
  const std::vector<vtinspect::InfoText>& head = probe.riff ? probe.riff->headInfo : kNoHead;
  if (const auto dropped = DroppedInfoIds(info, head, mode); !dropped.empty() && probe.riff)
    ReportWarning(name,
                  std::string(mode == VT_MODE_MP3 ? "an MP3 file keeps no RIFF INFO texts"
                                                  : "an RMP3 file keeps no INFO list before its audio") +
                      "; dropped: " + Listed(dropped));
  else if (mode == VT_MODE_MP3 && edits.touchesInfo)
    ReportWarning(name, "an MP3 file keeps no RIFF INFO texts");
  if (mode == VT_MODE_MP3) return;
  CarryHeadInfo(head, info);
}

std::string WriteFailure(std::int32_t code, int kind, int mode, const FileProbe& probe,
                         const std::filesystem::path& path) {
  if (code == VT_NOT_SUPPORTED && mode == VT_MODE_WAVE) return "only a WAVE file can be written as wave";
  if (code == VT_FILE_TOO_LARGE && probe.size < kTwoGiB) return kCouldNotGrow;
  return FailureWords(static_cast<std::uint32_t>(code), kind, path);
}

// One file; a failure or refusal is reported, a write is announced.
void SetOne(const std::filesystem::path& path, const SetOptions& options, const TagEdits& edits) {
  const std::string name = DisplayName(path);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    ReportFailure(name, kIsAFolder);
    return;
  }
  const ModuleName moduleName(path);
  if (!moduleName.Usable()) {
    const std::uint32_t code = moduleName.Failure();
    ReportFailure(name, code == VT_INVALID_NAME ? kUnusableName : FailureWords(code, 0, path));
    return;
  }
  // Taken before anything reads the file, which may move its access time.
  const std::optional<FileTimes> times = options.preserveTimes ? ReadFileTimes(path) : std::nullopt;
  const FileProbe probe = vtinspect::ProbeFile(path);
  if (const auto refusal = Refusal(probe, options)) {
    ReportFailure(name, *refusal);
    return;
  }
  TagInfo info = FreshRecord();
  if (const std::uint32_t code = CallGetInfo(moduleName.Name(), info); code != VT_OK) {
    const std::string words = FailureWords(code, info.FileKind, path);
    ReportFailure(name, probe.Recognised() || !probe.readable
                            ? words
                            : "not MPEG audio, and the module cannot read it: " + words);
    return;
  }
  // A WAVE file of PCM audio reads as FileKind 0 (no MPEG frame); it is a
  // WAVE file all the same, and SetInfo checks the file's bytes against it.
  if (probe.IsWave()) info.FileKind = VT_KIND_WAVE;
  const int mode = ModeFor(options.mode, info);
  if (info.FileKind == VT_KIND_WAVE && mode != VT_MODE_WAVE && !options.force && probe.IsNonMpegWave()) {
    ReportFailure(name, PcmRefusal(probe, mode));
    return;
  }
  const int kind = info.FileKind;
  if (mode == VT_MODE_RMP3 && kind == VT_KIND_MPEG && info.TagKind == VT_TAG_ID3V2)
    ReportWarning(
        name, "the ID3v2 tag at the front goes into the RMP3 data chunk, where readers take it for audio");
  if (probe.id3v2 && TouchesId3v1(edits))
    ReportWarning(name,
                  "the file starts with an ID3v2 tag, whose texts players usually show; only the ID3v1 "
                  "texts are changed");
  PrepareInfoTexts(name, probe, edits, mode, info);
  for (const CutField& cut : ApplyEdits(edits, info))
    ReportWarning(name, "the " + cut.label + " is cut to " + std::to_string(cut.width) + " bytes");
  if (mode != VT_MODE_MP3) {
    MirrorId3v1Edits(edits, info);
    for (const std::string& id : CutInfoTexts(info))
      ReportWarning(name, "the INFO " + id + " text is cut to " + std::to_string(kInfoTextWidth) + " bytes");
  }
  if (options.backup) {
    if (const std::string failure = MakeBackup(path); !failure.empty()) {
      ReportFailure(name, DisplayName(BackupName(path)) + ": " + failure);
      return;
    }
  }

  const std::int32_t code = CallSetInfo(moduleName.Name(), info, mode);
  if (code != VT_OK) {
    ReportFailure(name, WriteFailure(code, kind, mode, probe, path));
    return;
  }
  if (times && !WriteFileTimes(path, *times)) ReportWarning(name, "written, but its times could not be kept");
  Progress::ClearActive();
  std::cout << EscapeControls(name) << ": written as " << ModeName(mode) << std::endl;
}

}  // namespace

std::vector<std::string> ModeNames() {
  std::vector<std::string> names;
  for (const auto& [name, mode] : kModes) names.emplace_back(name);
  return names;
}

const char* ModeName(int mode) {
  for (const auto& [name, written] : kModes)
    if (written == mode) return name;
  return "an unknown mode";  // not reached: every mode the command writes has a name
}

int ModeNamed(const std::string& name) {
  for (const auto& [known, mode] : kModes)
    if (known == name) return mode;
  return VT_MODE_MP3;  // not reached: CLI11 takes only ModeNames()
}

int RunSet(const SetOptions& options) {
  auto prepared = PrepareEdits(options.edits);
  if (auto* usage = std::get_if<std::string>(&prepared)) {
    ReportUsage(*usage);
    return kExitUsage;
  }
  const TagEdits& edits = std::get<TagEdits>(prepared);
  if (IsEmpty(edits) && !options.mode) {
    ReportUsage(
        "nothing to change: give a text option, --track, --genre, --info or --to; no file was written");
    return kExitUsage;
  }
  if (edits.trackTotal)
    ReportRunWarning("--track " + *options.edits.track + ": ID3v1 has no place for the total " +
                     *edits.trackTotal + "; the track is written as " + std::to_string(*edits.track));
  const FileList list = ListFiles(options.files, false);
  Progress progress(list.files.size());
  for (std::size_t i = 0; i < list.files.size(); ++i) {
    progress.Show(i + 1, DisplayName(list.files[i]));
    SetOne(list.files[i], options, edits);
  }
  return FilesExitStatus();
}

}  // namespace vthost
