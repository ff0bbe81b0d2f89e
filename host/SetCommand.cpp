// `vomtrail set`: GetInfo, edit the record, SetInfo, for each file.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>

#include "Commands.h"
#include "ErrorWords.h"
#include "FileNames.h"
#include "ModuleCalls.h"
#include "Progress.h"
#include "Record.h"
#include "TagEdits.h"
#include "Vomtrail.h"
#include "WaveFormat.h"

namespace vthost {
namespace {

const std::map<std::string, int> kModes = {{"mp3", 0}, {"rmp3", 1}, {"wave", 2}};
const char* const kModeNames[] = {"mp3", "rmp3", "wave"};

// Without --to a file keeps its form: FileKind 0, 1, 2 are modes 0, 1, 2.
int ModeFor(const std::optional<std::string>& to, const TagInfo& info) {
  if (to) return kModes.at(*to);
  return info.FileKind <= VT_KIND_WAVE ? info.FileKind : 0;
}

char Hex(unsigned digit) { return "0123456789abcdef"[digit & 15u]; }

// Why a WAVE file must not become an MP3 or RMP3 file, or nothing when its
// audio is MPEG: those forms keep only the data chunk's bytes.
std::optional<std::string> PcmRefusal(const std::filesystem::path& path, int mode) {
  const std::optional<std::uint16_t> tag = WaveFormatTag(path);
  if (tag && IsMpegFormat(*tag)) return std::nullopt;
  std::string what = "has no fmt chunk that shows MPEG audio";
  if (tag) {
    what = "holds audio of format 0x";
    for (int shift = 12; shift >= 0; shift -= 4) what += Hex(static_cast<unsigned>(*tag >> shift));
    what += *tag == 1 ? " (PCM)" : "";
    what += ", not MPEG";
  }
  return "the WAVE file " + what + "; writing it as " + kModeNames[mode] +
         " would throw its audio away (--force does it anyway)";
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
  TagInfo info = FreshRecord();
  if (const std::uint32_t code = CallGetInfo(*moduleName, info); code != VT_OK) {
    ReportFailure(name, ErrorWords(code, info.FileKind));
    return false;
  }
  // A WAVE file of PCM audio reads as FileKind 0 (no MPEG frame); it is a
  // WAVE file all the same, and SetInfo checks the file's bytes against it.
  if (info.FileKind == VT_KIND_MPEG && IsRiffWave(path)) info.FileKind = VT_KIND_WAVE;
  const int mode = ModeFor(options.to, info);
  if (info.FileKind == VT_KIND_WAVE && mode != 2 && !options.force) {
    if (auto refusal = PcmRefusal(path, mode)) {
      ReportFailure(name, *refusal);
      return false;
    }
  }
  const int kind = info.FileKind;
  if (mode == 1 && kind == VT_KIND_MPEG && info.TagKind == VT_TAG_ID3V2)
    ReportFailure(
        name, "the ID3v2 tag at the front goes into the RMP3 data chunk, where readers take it for audio");
  for (const CutField& cut : ApplyEdits(edits, info))
    ReportFailure(name, "the " + cut.label + " is cut to " + std::to_string(cut.width) + " bytes");
  if (mode == 0 && edits.touchesInfo) ReportFailure(name, "an MP3 file keeps no RIFF INFO texts");

  const std::int32_t code = CallSetInfo(*moduleName, info, mode);
  if (code != VT_OK) {
    const bool waveOnly = code == VT_NOT_SUPPORTED && mode == 2;
    ReportFailure(name, waveOnly ? "only a WAVE file can be written as wave"
                                 : ErrorWords(static_cast<std::uint32_t>(code), kind));
    return false;
  }
  Progress::ClearActive();
  std::cout << name << ": written as " << kModeNames[mode] << std::endl;
  return true;
}

}  // namespace

int RunSet(const SetOptions& options) {
  auto prepared = PrepareEdits(options);
  if (auto* usage = std::get_if<std::string>(&prepared)) {
    std::fprintf(stderr, "vomtrail set: %s\n", usage->c_str());
    return kExitUsage;
  }
  const TagEdits& edits = std::get<TagEdits>(prepared);
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
