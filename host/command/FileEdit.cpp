#include "command/FileEdit.h"

#include <iostream>

#include "FileBytes.h"
#include "FileProbe.h"
#include "Record.h"
#include "Vomtrail.h"
#include "command/DryRun.h"
#include "command/ErrorWords.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "edits/ConversionCarry.h"
#include "edits/Extensions.h"
#include "edits/HeadList.h"
#include "edits/Id3v2Strip.h"
#include "edits/InfoCarry.h"
#include "edits/ModuleOutput.h"
#include "edits/WriteCheck.h"
#include "platform/ByteOrder.h"
#include "report/FileWords.h"
#include "report/OutputEscape.h"
#include "system/ContentWrites.h"
#include "system/EditLock.h"
#include "system/FileKeeping.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"
#include "tags/Id3v2Tag.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;
using vtinspect::FileProbe;

constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;
// Tags with pictures run to megabytes; one larger than this is read only
// this far for its texts.
constexpr std::size_t kLargestTagRead = 16u << 20;

constexpr const char* kChangedMeanwhile =
    "the file changed after it was read (another program wrote to it); nothing written";
constexpr const char* kId3v2IntoRmp3 =
    "the audio starts with an ID3v2 tag, which in an RMP3 data chunk players take for audio and fail on; "
    "--strip-id3v2 takes the tag out (its texts go into the INFO and ID3v1 fields the edit leaves empty); "
    "nothing written";

// A file as the first step leaves it: the command's look, the record, the
// form its bytes show and the bytes the module takes for the audio.
struct FileRead {
  FileProbe probe;
  TagInfo info = FreshRecord();
  AudioSpan audio;
  int Kind() const { return info.FileKind; }
};

// What the write is to do.
struct Plan {
  int mode = VT_MODE_MP3;
  TagInfo before{};  // the file's texts, as the record shows them before the edits
  TagInfo info{};    // the record SetInfo gets
  std::uint64_t stripped = 0;
  WriteOutcome outcome;
  std::string obstacle;  // why a write that moves the audio goes in place; empty through a new file
  HeadListPlan head;     // planned on the file as it is: the module keeps a WAVE file's head
};

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

std::string Listed(const std::vector<std::string>& items, const char* between = ", ") {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : between) + item;
  return text;
}

void Warn(const std::string& name, const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) ReportWarning(name, warning);
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
std::optional<std::string> AudioRefusal(vtinspect::ByteSource& bytes, const FileRead& read,
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

std::optional<FileRead> ReadFile(const fs::path& path, const ModuleName& moduleName,
                                 const SetOptions& options, const std::string& name) {
  FileRead read;
  read.probe = vtinspect::ProbeFile(path);
  if (const auto refusal = Refusal(read.probe, options)) {
    ReportFailure(name, *refusal);
    return std::nullopt;
  }
  if (const std::uint32_t code = CallGetInfo(moduleName.Name(), read.info); code != VT_OK) {
    const std::string words = FailureWords(code, read.info.FileKind, path);
    ReportFailure(name, read.probe.Recognised() || !read.probe.readable
                            ? words
                            : "not MPEG audio, and the module cannot read it: " + words);
    return std::nullopt;
  }
  read.info.FileKind = static_cast<std::uint8_t>(FormOfBytes(read.probe, read.info.FileKind));
  vtinspect::FileBytes bytes(path);
  if (const auto refusal = AudioRefusal(bytes, read, path)) {
    ReportFailure(name, *refusal);
    return std::nullopt;
  }
  read.audio = *ModuleAudio(bytes, read.Kind());
  return read;
}

// Brings the record's INFO texts in line with the edits for RIFF output, and
// names what an MP3 or RMP3 file would lose.
void PrepareInfoTexts(const std::string& name, const FileProbe& probe, const TagEdits& edits, int mode,
                      TagInfo& info) {
  static const std::vector<vtinspect::InfoText> kNoTexts;
  if (probe.riff) CarryTailInfo(probe.riff->tailInfo, info);
  const std::vector<vtinspect::InfoText>& head = probe.riff ? probe.riff->headInfo : kNoTexts;
  if (const auto dropped = DroppedInfoIds(info, head, mode); !dropped.empty() && probe.riff)
    ReportWarning(name,
                  std::string(mode == VT_MODE_MP3 ? "an MP3 file keeps no RIFF INFO texts"
                                                  : "an RMP3 file keeps no INFO list before its audio") +
                      "; dropped: " + Listed(dropped));
  else if (mode == VT_MODE_MP3 && edits.touchesInfo)
    ReportWarning(name, "an MP3 file keeps no RIFF INFO texts");
  CarryHeadInfo(head, info);
}

// The ID3v2 tag at the start of the audio: refused, taken out, or left
// with a word about it. False when refused.
bool DecideOnId3v2(vtinspect::ByteSource& bytes, const FileRead& read, const SetOptions& options,
                   const TagEdits& edits, const std::string& name, Plan& plan) {
  const std::uint64_t tag = LeadingTagSize(bytes, read.audio);
  if (tag == 0) return true;
  if (plan.mode == VT_MODE_MP3) {
    if (options.stripId3v2)
      ReportWarning(name, "--strip-id3v2 takes a tag out of RIFF output only; an MP3 file keeps it in front");
    if (TouchesId3v1(edits))
      ReportWarning(name,
                    "the file starts with an ID3v2 tag, whose texts players usually show; only the ID3v1 "
                    "texts are changed");
    return true;
  }
  if (options.stripId3v2) {
    plan.stripped = tag;
    return true;
  }
  if (plan.mode == VT_MODE_RMP3 && read.Kind() != VT_KIND_RMP3) {
    ReportFailure(name, kId3v2IntoRmp3);
    return false;
  }
  ReportWarning(name,
                "the data chunk starts with an ID3v2 tag, which players take for audio; --strip-id3v2 "
                "takes it out");
  return true;
}

void CarryStrippedTexts(vtinspect::ByteSource& bytes, const FileRead& read, const TagEdits& edits,
                        const std::string& name, Plan& plan) {
  const std::string tag = bytes.Read(
      read.audio.offset, static_cast<std::size_t>(std::min<std::uint64_t>(plan.stripped, kLargestTagRead)));
  const vtinspect::Id3v2Tag parsed =
      vtinspect::ReadId3v2(vtinspect::Bytes(reinterpret_cast<const std::uint8_t*>(tag.data()), tag.size()));
  Warn(name, CarryId3v2Texts(parsed, plan.mode, edits, plan.info));
}

std::optional<Plan> MakePlan(const fs::path& path, const ModuleName& moduleName, const FileRead& read,
                             int mode, const SetOptions& options, const TagEdits& edits,
                             const std::string& name) {
  Plan plan;
  plan.mode = mode;
  plan.info = read.info;
  vtinspect::FileBytes bytes(path);
  if (!DecideOnId3v2(bytes, read, options, edits, name, plan)) return std::nullopt;

  TagInfo& info = plan.info;
  PrepareInfoTexts(name, read.probe, edits, mode, info);
  plan.before = info;
  for (const CutField& cut : ApplyEdits(edits, info))
    ReportWarning(name, "the " + cut.label + " is cut to " + std::to_string(cut.width) + " bytes");
  if (mode != VT_MODE_MP3) MirrorId3v1Edits(edits, info);
  if (plan.stripped != 0) CarryStrippedTexts(bytes, read, edits, name, plan);
  Warn(name, CarryAcrossForms(read.Kind(), mode, edits, info));
  if (mode != VT_MODE_MP3)
    for (const std::string& id : CutInfoTexts(info))
      ReportWarning(name, "the INFO " + id + " text is cut to " + std::to_string(kInfoTextWidth) + " bytes");

  plan.outcome = PredictWrite(info, mode, read.audio);
  plan.obstacle = MovingWriteObstacle(moduleName.Name());
  const auto& riff = read.probe.riff;
  if (mode == VT_MODE_WAVE && riff && riff->dataOffset)
    plan.head = PlanHeadList(bytes.Read(0, static_cast<std::size_t>(*riff->dataOffset)), plan.outcome.length,
                             *riff, InfoTextsFor(info));
  return plan;
}

std::string WriteFailure(std::int32_t code, int kind, int mode, const FileProbe& probe,
                         const fs::path& path) {
  if (code == VT_NOT_SUPPORTED && mode == VT_MODE_WAVE) return "only a WAVE file can be written as wave";
  if (code == VT_FILE_TOO_LARGE && probe.size < kTwoGiB) return kCouldNotGrow;
  return FailureWords(static_cast<std::uint32_t>(code), kind, path);
}

// The backup of one write: made before it, removed again when the write is
// refused, kept once the file changed.
class Backup {
 public:
  Backup(const fs::path& path, bool wanted) : path_(path), wanted_(wanted) {}
  ~Backup() {
    if (made_ && !kept_) RemoveBackup(path_);
  }
  // The old file itself is kept by the module's write: a new file takes
  // its place and the old one stays under the backup name.
  bool ByTheModule(const Plan& plan) const {
    return wanted_ && plan.outcome.audioMoves && plan.obstacle.empty() && CanKeepOldFile();
  }
  std::string Copy() {
    if (!wanted_) return {};
    std::string failure = MakeBackup(path_);
    made_ = failure.empty();
    return failure;
  }
  void MadeByTheModule() { made_ = true; }
  void Keep() { kept_ = true; }

 private:
  fs::path path_;
  bool wanted_;
  bool made_ = false;
  bool kept_ = false;
};

// The module's write, with the backup made first and the file's state
// compared with the one it was read in last. 0 or the module's code; -1
// when refused here (and said).
std::int32_t WriteRecord(const fs::path& path, const ModuleName& moduleName, Plan& plan, Backup& backup,
                         const std::optional<FileState>& state, const std::string& name) {
  const auto changed = [&] {
    if (ReadFileState(path) == state) return false;
    ReportFailure(name, kChangedMeanwhile);
    return true;
  };
  if (backup.ByTheModule(plan)) {
    if (NameTaken(BackupName(path))) {
      ReportFailure(name,
                    DisplayName(BackupName(path)) + ": the backup name exists already; nothing written");
      return -1;
    }
    if (changed()) return -1;
    const std::string keepAs = std::string(TextOf(moduleName.Name())) + ".orig";
    const std::int32_t code = CallSetInfoKeepingOld(moduleName.Name(), plan.info, plan.mode, keepAs);
    if (code == VT_OK) backup.MadeByTheModule();
    // VT_NOT_SUPPORTED: no new file could take the old one's place after
    // all; the file is as it was, and a copy is made instead.
    if (code != VT_NOT_SUPPORTED) return code;
  }
  if (const std::string failure = backup.Copy(); !failure.empty()) {
    ReportFailure(name, DisplayName(BackupName(path)) + ": " + failure);
    return -1;
  }
  if (changed()) return -1;
  return CallSetInfo(moduleName.Name(), plan.info, plan.mode);
}

// The command's own writes behind the module's: the ID3v2 tag cut out of
// the data chunk, the list before a WAVE file's audio brought in step.
// False, with the failure reported, when one fails.
bool WriteOwnParts(const fs::path& path, const ModuleName& moduleName, Plan& plan, ExpectedFile& expected,
                   const std::string& name) {
  const std::string written = "written as " + std::string(ModeName(plan.mode)) + ", but ";
  if (plan.stripped != 0) {
    vtinspect::FileBytes bytes(path);
    const auto data = ModuleAudio(bytes, plan.mode == VT_MODE_WAVE ? VT_KIND_WAVE : VT_KIND_RMP3);
    const std::string head = bytes.Read(0, 8);
    std::uint32_t code = VT_INVALID_DATA;
    if (data && head.size() == 8 && data->size >= plan.stripped)
      code = CommitPlan(moduleName.Name(),
                        PlanDataCut(vomtrail::LittleEndian32(head, 4), *data, bytes.Size(), plan.stripped));
    if (code != VT_OK) {
      ReportFailure(name, written + "the ID3v2 tag could not be taken out of the audio (" +
                              ErrorWords(code, VT_KIND_RMP3) + "); the same command again completes it");
      return false;
    }
  }
  if (plan.mode != VT_MODE_WAVE) return true;
  vtinspect::FileBytes bytes(path);
  const FileProbe probe = vtinspect::ProbeBytes(bytes);
  if (!probe.riff || !probe.riff->dataOffset) return true;  // the check says what is wrong
  const HeadListPlan head = PlanHeadList(bytes.Read(0, static_cast<std::size_t>(*probe.riff->dataOffset)),
                                         bytes.Size(), *probe.riff, expected.infoTexts);
  if (!head.refusal.empty())
    ReportWarning(name, head.refusal + "; the list before the audio keeps its texts");
  if (!head.leftOut.empty())
    ReportWarning(name, "the list before the audio leaves out " + Listed(head.leftOut) +
                            ": their texts hold \"data\", which the module would take for the data chunk");
  if (head.content.empty()) return true;
  if (const std::uint32_t code = CommitPlan(moduleName.Name(), head.content); code != VT_OK) {
    ReportFailure(name, written + "the list before the audio could not be brought in step (" +
                            ErrorWords(code, VT_KIND_WAVE) + "); the same command again completes it");
    return false;
  }
  for (int item = 0; item < kWrittenInfoIds; ++item) {
    const std::string id(kInfoIds[static_cast<std::size_t>(item)].id);
    if (item != VT_ITEM_ISFT && std::find(head.leftOut.begin(), head.leftOut.end(), id) == head.leftOut.end())
      expected.headItems.push_back(item);
  }
  return true;
}

// A name that no longer fits the file's form: said, or with
// --rename-extension changed. The name the file has afterwards.
fs::path FitName(const fs::path& path, const Plan& plan, int layer, const SetOptions& options,
                 const std::string& name) {
  const auto better = BetterName(path, plan.mode, layer);
  if (!better) return path;
  const std::string betterName = DisplayName(*better);
  if (!options.renameExtension) {
    ReportWarning(name, "the name's extension does not fit " + std::string(ModeName(plan.mode)) +
                            " output; --rename-extension renames it to " + betterName);
    return path;
  }
  if (const std::string failure = RenameNoReplace(path, *better); !failure.empty()) {
    ReportWarning(name, "not renamed to " + betterName + ": " + failure);
    return path;
  }
  return *better;
}

void Write(const fs::path& path, const ModuleName& moduleName, const FileRead& read, Plan& plan,
           const SetOptions& options, const std::optional<FileState>& state,
           const std::optional<FileTimes>& times, const std::string& name) {
  ExpectedFile expected{
      plan.mode, read.audio.size - plan.stripped, 0, Id3v1BlockFor(plan.info), InfoTextsFor(plan.info), {}};
  {
    vtinspect::FileBytes bytes(path);
    expected.audioDigest =
        AudioDigest(bytes, read.audio.offset + plan.stripped, expected.audioSize).value_or(0);
  }
  Backup backup(path, options.backup);
  const std::int32_t code = WriteRecord(path, moduleName, plan, backup, state, name);
  if (code < 0) return;
  if (code != VT_OK) {
    ReportFailure(name, WriteFailure(code, read.Kind(), plan.mode, read.probe, path));
    return;
  }
  backup.Keep();
  if (!WriteOwnParts(path, moduleName, plan, expected, name)) return;
  vtinspect::FileBytes written(path);
  if (const auto differences = Differences(written, expected); !differences.empty()) {
    ReportFailure(name, "written as " + std::string(ModeName(plan.mode)) +
                            ", but the file read back differs: " + Listed(differences, "; "));
    return;
  }
  if (times && !WriteFileTimes(path, *times)) ReportWarning(name, "written, but its times could not be kept");
  const fs::path now = FitName(path, plan, read.info.Layer, options, name);
  Progress::ClearActive();
  std::cout << EscapeControls(name) << ": written as " << ModeName(plan.mode)
            << (now != path ? ", renamed to " + EscapeControls(DisplayName(now)) : std::string())
            << std::endl;
}

}  // namespace

void EditFile(const fs::path& path, const SetOptions& options, const TagEdits& edits) {
  const std::string name = DisplayName(path);
  std::error_code error;
  if (fs::is_directory(path, error)) {
    ReportFailure(name, kIsAFolder);
    return;
  }
  const ModuleName moduleName(path);
  if (!moduleName.Usable()) {
    const std::uint32_t code = moduleName.Failure();
    ReportFailure(name, code == VT_INVALID_NAME ? kUnusableName : FailureWords(code, 0, path));
    return;
  }
  EditLock lock;
  if (!options.dryRun)
    if (const std::string busy = lock.Take(path, kLockPatience); !busy.empty()) {
      ReportFailure(name, busy);
      return;
    }
  // Taken before anything reads the file, which may move its access time.
  const std::optional<FileState> state = ReadFileState(path);
  const std::optional<FileTimes> times = options.preserveTimes ? ReadFileTimes(path) : std::nullopt;
  std::optional<FileRead> read = ReadFile(path, moduleName, options, name);
  if (!read) return;
  const int mode = ModeFor(options.mode, read->info);
  if (read->Kind() == VT_KIND_WAVE && mode != VT_MODE_WAVE && !options.force && read->probe.IsNonMpegWave()) {
    ReportFailure(name, PcmRefusal(read->probe, mode));
    return;
  }
  std::optional<Plan> plan = MakePlan(path, moduleName, *read, mode, options, edits, name);
  if (!plan) return;
  if (options.dryRun) {
    ShowDryRun({name, read->probe, plan->before, plan->info, mode, plan->outcome, plan->stripped,
                plan->obstacle, plan->head, edits.encoding});
    return;
  }
  Write(path, moduleName, *read, *plan, options, state, times, name);
}

}  // namespace vthost
