#include "command/EditRead.h"

#include "FileBytes.h"
#include "Vomtrail.h"
#include "command/ErrorWords.h"
#include "command/Messages.h"
#include "report/FileWords.h"
#include "system/ModuleCalls.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;
using vtinspect::FileProbe;

// The form the file's bytes show. GetInfo clears FileKind with the stream
// fields when the bytes it takes for the first frame give a frame length of
// 0 (an RMP3 data chunk that starts with an ID3v2 tag, a WAVE file of PCM
// audio); SetInfo given 0 for such a file would take it for a bare stream
// and leave it a RIFF file, with "written as mp3" said over it.
int FormOfBytes(const FileProbe& probe, int recorded) {
  if (!probe.readable) return recorded;
  if (probe.IsWave()) return VT_KIND_WAVE;
  if (probe.IsRiffAudio()) return VT_KIND_RMP3;
  return VT_KIND_MPEG;
}

std::string NotAudioRefusal(const FileProbe& probe) {
  return "not MPEG audio" +
         (probe.looksLike.empty() ? std::string() : " (looks like " + probe.looksLike + ")") +
         "; nothing written (--force writes it anyway)";
}

// The checks that need only the file's own bytes; the refusal, or nothing.
std::optional<std::string> Refusal(const FileProbe& probe, const SetOptions& options) {
  if (!probe.readable) return std::nullopt;  // the module names the failure
  if (probe.TooShort()) return kTooShort;
  if (probe.IsRiffAudio() && probe.riff->Streamed()) return kStreamedWave;  // --force cannot help
  if (!probe.Recognised() && !options.force) return NotAudioRefusal(probe);
  return std::nullopt;
}

// Where the module would find no audio, or other bytes than the audio: it
// would fail, or write a broken file.
std::optional<std::string> AudioRefusal(vtinspect::ByteSource& bytes, const EditRead& read,
                                        const fs::path& path) {
  const auto audio = ModuleAudio(bytes, read.Kind());
  if (!audio) {
    const bool noData = read.Kind() == VT_KIND_WAVE && !ModuleDataSearch(bytes, bytes.Size());
    return FailureWords(noData ? VT_INVALID_DATA : VT_HANDLE_EOF, read.Kind(), path);
  }
  const auto& riff = read.probe.riff;
  if (read.Kind() == VT_KIND_WAVE && riff && riff->dataOffset && audio->offset != *riff->dataOffset)
    return "the bytes \"data\" at offset " + std::to_string(audio->offset - 8) +
           ", before the data chunk, would be taken by the module for the data chunk's id; nothing written";
  return std::nullopt;
}

}  // namespace

std::optional<EditRead> ReadForEdit(const fs::path& path, const ModuleName& moduleName,
                                    const SetOptions& options, const std::string& name, bool* refused) {
  EditRead read;
  read.probe = vtinspect::ProbeFile(path);
  const auto refuse = [&](const std::string& why) {
    ReportFailure(name, why);
    if (refused != nullptr) *refused = true;
    return std::nullopt;
  };
  if (const auto refusal = Refusal(read.probe, options)) return refuse(*refusal);
  if (const std::uint32_t code = CallGetInfo(moduleName.Name(), read.info); code != VT_OK) {
    const std::string words = FailureWords(code, read.info.FileKind, path);
    ReportFailure(name, read.probe.Recognised() || !read.probe.readable
                            ? words
                            : "not MPEG audio, and the module cannot read it: " + words);
    return std::nullopt;
  }
  read.info.FileKind = static_cast<std::uint8_t>(FormOfBytes(read.probe, read.info.FileKind));
  vtinspect::FileBytes bytes(path);
  if (const auto refusal = AudioRefusal(bytes, read, path)) return refuse(*refusal);
  read.audio = *ModuleAudio(bytes, read.Kind());
  return read;
}

// Why a WAVE file must not become an MP3 or RMP3 file: those forms keep only
// the data chunk's bytes, which is right for MPEG audio and throws PCM away.
std::optional<std::string> PcmRefusal(const EditRead& read, int mode, const SetOptions& options) {
  const FileProbe& probe = read.probe;
  if (read.Kind() != VT_KIND_WAVE || mode == VT_MODE_WAVE || options.force || !probe.IsNonMpegWave())
    return std::nullopt;
  std::string what = "has no fmt chunk that shows MPEG audio";
  if (probe.riff->format)
    what = "holds audio of format " + WaveFormatName(probe.riff->format->tag) + ", not MPEG";
  return "the WAVE file " + what + "; writing it as " + ModeName(mode) +
         " would throw its audio away (--force does it anyway)";
}

}  // namespace vthost
