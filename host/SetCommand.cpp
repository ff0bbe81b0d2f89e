// `vomtrail set`: GetInfo, edit the record, SetInfo, for each file.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>

#include "Commands.h"
#include "ErrorWords.h"
#include "FileKeeping.h"
#include "FileNames.h"
#include "FileProbe.h"
#include "InfoCarry.h"
#include "ModuleCalls.h"
#include "OutputEscape.h"
#include "Progress.h"
#include "Record.h"
#include "TagEdits.h"
#include "Vomtrail.h"

namespace vthost {
namespace {

const std::map<std::string, int> kModes = {{"mp3", 0}, {"rmp3", 1}, {"wave", 2}};
const char* const kModeNames[] = {"mp3", "rmp3", "wave"};
constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;

// Without --to a file keeps its form: FileKind 0, 1, 2 are modes 0, 1, 2.
int ModeFor(const std::optional<std::string>& to, const TagInfo& info) {
  if (to) return kModes.at(*to);
  return info.FileKind <= VT_KIND_WAVE ? info.FileKind : 0;
}

char Hex(unsigned digit) { return "0123456789abcdef"[digit & 15u]; }

// Why a WAVE file must not become an MP3 or RMP3 file: those forms keep only
// the data chunk's bytes, which is right for MPEG audio and throws PCM away.
std::string PcmRefusal(const FileProbe& probe, int mode) {
  std::string what = "has no fmt chunk that shows MPEG audio";
  if (probe.riff->format) {
    const std::uint16_t tag = probe.riff->format->tag;
    what = "holds audio of format 0x";
    for (int shift = 12; shift >= 0; shift -= 4) what += Hex(static_cast<unsigned>(tag >> shift));
    what += tag == kFormatPcm ? " (PCM)" : "";
    what += ", not MPEG";
  }
  return "the WAVE file " + what + "; writing it as " + kModeNames[mode] +
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
  static const std::vector<InfoText> kNoHead;
  const std::vector<InfoText>& head = probe.riff ? probe.riff->headInfo : kNoHead;
  if (const auto dropped = DroppedInfoIds(info, head, mode); !dropped.empty() && probe.riff)
    ReportFailure(name, std::string(mode == 0 ? "an MP3 file keeps no RIFF INFO texts"
                                              : "an RMP3 file keeps no "
                                                "INFO list before its audio") +
                            "; dropped: " + Listed(dropped));
  else if (mode == 0 && edits.touchesInfo)
    ReportFailure(name, "an MP3 file keeps no RIFF INFO texts");
  if (mode == 0) return;
  CarryHeadInfo(head, info);
}

// One file; true when it was written.
bool SetOne(const std::filesystem::path& path, const SetOptions& options, const TagEdits& edits) {
  const std::string name = DisplayName(path);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    ReportFailure(name, "is a folder, not a file");
    return false;
  }
  const std::optional<Str255> moduleName = ModuleFileName(path);
  if (!moduleName) {
    ReportFailure(name, kUnusableName);
    return false;
  }
  // Taken before anything reads the file, which may move its access time.
  const std::optional<FileTimes> times = options.preserveTimes ? ReadFileTimes(path) : std::nullopt;
  const FileProbe probe = ProbeFile(path);
  if (const auto refusal = Refusal(probe, options)) {
    ReportFailure(name, *refusal);
    return false;
  }
  TagInfo info = FreshRecord();
  if (const std::uint32_t code = CallGetInfo(*moduleName, info); code != VT_OK) {
    const std::string words = ErrorWords(code, info.FileKind);
    ReportFailure(name, probe.Recognised() || !probe.readable
                            ? words
                            : "not MPEG audio, and the module cannot read it: " + words);
    return false;
  }
  // A WAVE file of PCM audio reads as FileKind 0 (no MPEG frame); it is a
  // WAVE file all the same, and SetInfo checks the file's bytes against it.
  if (probe.IsWave()) info.FileKind = VT_KIND_WAVE;
  const int mode = ModeFor(options.to, info);
  if (info.FileKind == VT_KIND_WAVE && mode != 2 && !options.force && probe.IsNonMpegWave()) {
    ReportFailure(name, PcmRefusal(probe, mode));
    return false;
  }
  const int kind = info.FileKind;
  if (mode == 1 && kind == VT_KIND_MPEG && info.TagKind == VT_TAG_ID3V2)
    ReportFailure(
        name, "the ID3v2 tag at the front goes into the RMP3 data chunk, where readers take it for audio");
  if (probe.id3v2 && TouchesId3v1(edits))
    ReportFailure(name,
                  "the file starts with an ID3v2 tag, whose texts players usually show; only the ID3v1 "
                  "texts are changed");
  PrepareInfoTexts(name, probe, edits, mode, info);
  for (const CutField& cut : ApplyEdits(edits, info))
    ReportFailure(name, "the " + cut.label + " is cut to " + std::to_string(cut.width) + " bytes");
  if (mode != 0) {
    MirrorId3v1Edits(edits, info);
    for (const std::string& id : CutInfoTexts(info))
      ReportFailure(name, "the INFO " + id + " text is cut to " + std::to_string(kInfoTextWidth) + " bytes");
  }
  if (options.backup) {
    if (const std::string failure = MakeBackup(path); !failure.empty()) {
      ReportFailure(name, DisplayName(BackupName(path)) + ": " + failure);
      return false;
    }
  }

  const std::int32_t code = CallSetInfo(*moduleName, info, mode);
  if (code != VT_OK) {
    std::string words = ErrorWords(static_cast<std::uint32_t>(code), kind);
    if (code == VT_NOT_SUPPORTED && mode == 2) words = "only a WAVE file can be written as wave";
    if (code == VT_FILE_TOO_LARGE && probe.size < kTwoGiB) words = kCouldNotGrow;
    ReportFailure(name, words);
    return false;
  }
  if (times && !WriteFileTimes(path, *times)) ReportFailure(name, "written, but its times could not be kept");
  Progress::ClearActive();
  std::cout << EscapeControls(name) << ": written as " << kModeNames[mode] << std::endl;
  return true;
}

}  // namespace

int RunSet(const SetOptions& options) {
  auto prepared = PrepareEdits(options);
  if (auto* usage = std::get_if<std::string>(&prepared)) {
    ReportUsage(*usage);
    return kExitUsage;
  }
  const TagEdits& edits = std::get<TagEdits>(prepared);
  if (IsEmpty(edits) && !options.to) {
    ReportUsage(
        "nothing to change: give a text option, --track, --genre, --info or --to; no file was written");
    return kExitUsage;
  }
  const auto paths = ExpandPaths(options.files, false);
  Progress progress(paths.size());
  int status = kExitOk;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    progress.Show(i + 1, DisplayName(paths[i]));
    if (!SetOne(paths[i], options, edits)) status = kExitFileFailed;
  }
  return status;
}

}  // namespace vthost
