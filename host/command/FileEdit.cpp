#include "command/FileEdit.h"

#include <algorithm>
#include <optional>
#include <iostream>

#include "Blanks.h"
#include "FileBytes.h"
#include "Record.h"
#include "Vomtrail.h"
#include "command/DryRun.h"
#include "command/EditPlan.h"
#include "command/EditRead.h"
#include "command/ErrorWords.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "edits/Extensions.h"
#include "edits/HeadList.h"
#include "edits/Id3v2Strip.h"
#include "edits/Id3v2Sync.h"
#include "edits/WriteCheck.h"
#include "platform/ByteOrder.h"
#include "report/OutputEscape.h"
#include "system/ContentWrites.h"
#include "system/EditLock.h"
#include "system/FileKeeping.h"
#include "system/FileNames.h"
#include "system/ModuleCalls.h"

namespace vthost {
namespace {

namespace fs = std::filesystem;
using vtinspect::FileProbe;

constexpr std::uint64_t kTwoGiB = std::uint64_t{1} << 31;

constexpr const char* kChangedMeanwhile =
    "the file changed after it was read (another program wrote to it); nothing written";

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
  // The old file itself is kept by the first write (the ID3v2 tag's, else
  // the module's): a new file takes its place, edit in place or not, and
  // the old one stays under the backup name. Where no new file can, a copy
  // is made first.
  bool ByTheFirstWrite(const Plan& plan) const {
    return wanted_ && plan.obstacle.empty() && CanKeepOldFile();
  }
  std::string Copy() {
    if (!wanted_ || made_) return {};
    std::string failure = MakeBackup(path_);
    made_ = failure.empty();
    return failure;
  }
  void MadeByTheFirstWrite() { made_ = true; }
  void Keep() { kept_ = true; }

 private:
  fs::path path_;
  bool wanted_;
  bool made_ = false;
  bool kept_ = false;
};

// The new ID3v2 tag put on the disk, the old file kept as `keepAs` when
// given. 0 or the code of the failure, with the file as it was.
std::uint32_t WriteId3v2(const fs::path& path, const ModuleName& moduleName, const Plan& plan,
                         const char* keepAs) {
  std::uint64_t size = 0;
  {
    // Closed before the commit: Windows opens the file for writing without
    // sharing, which this handle would refuse.
    const vtinspect::FileBytes bytes(path);
    size = bytes.Size();
  }
  // Shorter than the tag read: another program cut it since.
  if (size < plan.id3v2.oldTag.size()) return VT_SHARING_VIOLATION;
  const TagWrite write = PlanTagWrite(plan.id3v2, size);
  return CommitPlan(moduleName.Name(), write.plan, {write.newFile, keepAs});
}

// The writes of the record, with the backup made first and the file's state
// compared with the one it was read in last: the ID3v2 tag's when it
// changes (`tagWritten` says it was), then the module's. 0 or the failure's
// code; -1 when refused here (and said).
std::int32_t WriteRecord(const fs::path& path, const ModuleName& moduleName, Plan& plan, Backup& backup,
                         const std::optional<FileState>& state, const std::string& name, bool& tagWritten) {
  const auto changed = [&] {
    if (ReadFileState(path) == state) return false;
    ReportFailure(name, kChangedMeanwhile);
    return true;
  };
  const bool tagFirst = plan.id3v2.Writes();
  const auto thenTheModule = [&](std::int32_t code) {
    tagWritten = tagFirst && code == VT_OK;
    return tagWritten ? static_cast<std::int32_t>(CallSetInfo(moduleName.Name(), plan.info, plan.mode))
                      : code;
  };
  if (backup.ByTheFirstWrite(plan)) {
    if (NameTaken(BackupName(path))) {
      ReportFailure(name,
                    DisplayName(BackupName(path)) + ": the backup name exists already; nothing written");
      return -1;
    }
    if (changed()) return -1;
    const std::string keepAs = std::string(TextOf(moduleName.Name())) + ".orig";
    const std::int32_t code =
        tagFirst ? static_cast<std::int32_t>(WriteId3v2(path, moduleName, plan, keepAs.c_str()))
                 : CallSetInfoKeepingOld(moduleName.Name(), plan.info, plan.mode, keepAs);
    if (code == VT_OK) backup.MadeByTheFirstWrite();
    // VT_NOT_SUPPORTED: no new file could take the old one's place after
    // all; the file is as it was, and a copy is made instead.
    if (code != VT_NOT_SUPPORTED) return thenTheModule(code);
  }
  if (const std::string failure = backup.Copy(); !failure.empty()) {
    ReportFailure(name, DisplayName(BackupName(path)) + ": " + failure);
    return -1;
  }
  if (changed()) return -1;
  if (tagFirst) return thenTheModule(static_cast<std::int32_t>(WriteId3v2(path, moduleName, plan, nullptr)));
  return CallSetInfo(moduleName.Name(), plan.info, plan.mode);
}

// The command's own writes behind the module's: the ID3v2 tag cut out of
// the data chunk, the list before a WAVE file's audio brought in step.
// False, with the failure reported, when one fails.
bool WriteOwnParts(const fs::path& path, const ModuleName& moduleName, Plan& plan, ExpectedFile& expected,
                   const std::string& name) {
  const std::string written = "written as " + std::string(ModeName(plan.mode)) + ", but ";
  // Each plan is made from a read whose handle is closed before the commit:
  // Windows opens the file for writing without sharing, which any handle
  // still open would refuse.
  if (plan.stripped != 0) {
    std::optional<ContentPlan> cut;
    {
      vtinspect::FileBytes bytes(path);
      const auto data = ModuleAudio(bytes, plan.mode == VT_MODE_WAVE ? VT_KIND_WAVE : VT_KIND_RMP3);
      const std::string head = bytes.Read(0, 8);
      if (data && head.size() == 8 && data->size >= plan.stripped)
        cut = PlanDataCut(vomtrail::LittleEndian32(head, 4), *data, bytes.Size(), plan.stripped);
    }
    std::uint32_t code = VT_INVALID_DATA;
    if (cut) {
      code = CommitPlan(moduleName.Name(), *cut);
      expected.length = PlannedLength(*cut);
    }
    if (code != VT_OK) {
      ReportFailure(name, written + "the ID3v2 tag could not be taken out of the audio (" +
                              ErrorWords(code, VT_KIND_RMP3) + "); the same command again completes it");
      return false;
    }
  }
  if (plan.mode != VT_MODE_WAVE) return true;
  HeadListPlan head;
  {
    vtinspect::FileBytes bytes(path);
    const FileProbe probe = vtinspect::ProbeBytes(bytes);
    if (!probe.riff || !probe.riff->dataOffset) return true;  // the check says what is wrong
    head = PlanHeadList(bytes.Read(0, static_cast<std::size_t>(*probe.riff->dataOffset)), bytes.Size(),
                        *probe.riff, expected.infoTexts);
  }
  if (!head.refusal.empty())
    ReportWarning(name, head.refusal + "; the list before the audio keeps its texts");
  if (!head.leftOut.empty())
    ReportWarning(name, "the list before the audio leaves out " + Listed(head.leftOut) +
                            ": their texts hold \"data\", which the module would take for the data chunk");
  if (!head.content.empty()) {
    if (const std::uint32_t code = CommitPlan(moduleName.Name(), head.content); code != VT_OK) {
      ReportFailure(name, written + "the list before the audio could not be brought in step (" +
                              ErrorWords(code, VT_KIND_WAVE) + "); the same command again completes it");
      return false;
    }
    expected.length = PlannedLength(head.content);
  }
  if (!head.present || !head.refusal.empty()) return true;
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
                 const std::string& name, RunJournal* journal) {
  const auto better = BetterName(path, plan.mode, layer);
  if (!better) return path;
  const std::string betterName = DisplayName(*better);
  if (!options.renameExtension) {
    ReportWarning(name, "the name's extension does not fit " + std::string(ModeName(plan.mode)) +
                            " output; --rename-extension renames it to " + betterName);
    return path;
  }
  const int entry = journal != nullptr ? journal->BeforeRename(path, *better, {}) : 0;
  const std::string failure = RenameNoReplace(path, *better);
  if (journal != nullptr) journal->AfterRename(entry, failure.empty());
  if (!failure.empty()) {
    ReportWarning(name, "not renamed to " + betterName + ": " + failure);
    return path;
  }
  return *better;
}

// What the file must be after the write: the audio as it is now (less a tag
// taken out of it), and the tags of the record.
ExpectedFile ExpectedOf(const fs::path& path, const EditRead& read, const Plan& plan) {
  ExpectedFile expected;
  expected.mode = plan.mode;
  expected.length = plan.outcome.length;
  expected.audioSize = read.audio.size - plan.stripped;
  vtinspect::FileBytes bytes(path);
  expected.audioDigest =
      AudioDigest(bytes, read.audio.offset + plan.stripped, expected.audioSize).value_or(0);
  expected.id3v1Block = Id3v1BlockFor(plan.info);
  expected.infoTexts = InfoTextsFor(plan.info);
  if (plan.id3v2.Writes()) {
    // The module finds a bare stream's audio behind the new tag, which
    // is part of it for the module.
    WithNewTag tagged(bytes, plan.id3v2);
    expected.length += plan.id3v2.Growth();
    expected.audioSize += plan.id3v2.Growth();
    expected.audioDigest = AudioDigest(tagged, 0, expected.audioSize).value_or(0);
    expected.id3v2Tag = plan.id3v2.newTag;
    expected.id3v2Texts = plan.id3v2.asked;
  }
  return expected;
}

FileResult Write(const fs::path& path, const ModuleName& moduleName, const EditRead& read, Plan& plan,
                 const SetOptions& options, const std::optional<FileState>& state,
                 const std::optional<FileTimes>& times, const std::string& name, RunJournal* journal) {
  ExpectedFile expected = ExpectedOf(path, read, plan);
  Backup backup(path, options.backup);
  // One entry for both writes: the ID3v2 tag's, which moves the audio when
  // the tag grows, and the module's.
  const int entry =
      journal != nullptr
          ? journal->BeforeContent(path, read.probe, plan.outcome.audioMoves || plan.id3v2.Growth() != 0)
          : 0;
  bool tagWritten = false;
  const std::int32_t code = WriteRecord(path, moduleName, plan, backup, state, name, tagWritten);
  if (code != VT_OK) {
    if (journal != nullptr) journal->AfterContent(entry, path, tagWritten);
    if (code < 0) return FileResult::Refused;
    const std::string failure = WriteFailure(code, read.Kind(), plan.mode, read.probe, path);
    if (tagWritten) {
      backup.Keep();
      ReportFailure(name, failure +
                              "; the ID3v2 tag holds the new texts already, and the same command again "
                              "completes the edit");
    } else {
      ReportFailure(name, plan.id3v2.Writes()
                              ? failure + ": the ID3v2 tag could not be written; nothing written"
                              : failure);
    }
    return FileResult::Failed;
  }
  backup.Keep();
  const bool whole = WriteOwnParts(path, moduleName, plan, expected, name);
  // The file changed, whole or not: the journal's entry lets undo put it back.
  if (journal != nullptr) journal->AfterContent(entry, path, true);
  if (!whole) return FileResult::Failed;
  vtinspect::FileBytes written(path);
  const WrittenCheck check = CheckWritten(written, expected);
  if (!check.differences.empty()) {
    ReportFailure(name, "written as " + std::string(ModeName(plan.mode)) +
                            ", but the file read back differs: " + Listed(check.differences, "; "));
    return FileResult::Failed;
  }
  if (check.addedSince != 0)
    ReportWarning(name, std::to_string(check.addedSince) +
                            " bytes that another program added since the write stand behind it");
  if (times && !WriteFileTimes(path, *times)) ReportWarning(name, "written, but its times could not be kept");
  const fs::path now = FitName(path, plan, read.info.Layer, options, name, journal);
  Progress::ClearActive();
  Out() << EscapeControls(name) << ": written as " << ModeName(plan.mode)
        << (now != path ? ", renamed to " + EscapeControls(DisplayName(now)) : std::string()) << std::endl;
  return FileResult::Written;
}

// Whether the edits leave the file as it is: the same texts (an "IID3"
// body's fields come padded, the edits' without), track and genre, the same
// form, nothing to take out of the audio or to bring in step before it.
bool LeavesAsItIs(const Plan& plan, const EditRead& read) {
  if (plan.mode != ModeFor(std::nullopt, read.info) || plan.stripped != 0 || !plan.head.content.empty() ||
      plan.id3v2.Writes())
    return false;
  const TagInfo& before = plan.before;
  const TagInfo& after = plan.info;
  for (int item = 0; item < VT_ITEM_COUNT; ++item)
    if (vtinspect::WithoutTrailingBlanks(TextOf(before.Items[item])) !=
        vtinspect::WithoutTrailingBlanks(TextOf(after.Items[item])))
      return false;
  return GenreNumber(before) == GenreNumber(after) && before.Track == after.Track &&
         before.TagKind == after.TagKind && before.HasTag == after.HasTag;
}

}  // namespace

FileResult EditFile(const fs::path& path, const SetOptions& options, const TagEdits& edits,
                    RunJournal* journal) {
  const std::string name = DisplayName(path);
  std::error_code error;
  if (fs::is_directory(path, error)) {
    ReportFailure(name, kIsAFolder);
    return FileResult::Failed;
  }
  const ModuleName moduleName(path);
  if (!moduleName.Usable()) {
    const std::uint32_t code = moduleName.Failure();
    ReportFailure(name, code == VT_INVALID_NAME ? kUnusableName : FailureWords(code, 0, path));
    return FileResult::Failed;
  }
  EditLock lock;
  if (!options.dryRun)
    if (const std::string busy = lock.Take(path, kLockPatience); !busy.empty()) {
      ReportFailure(name, busy);
      return FileResult::Refused;
    }
  // Taken before anything reads the file, which may move its access time.
  const std::optional<FileState> state = ReadFileState(path);
  const std::optional<FileTimes> times = options.preserveTimes ? ReadFileTimes(path) : std::nullopt;
  bool refused = false;
  std::optional<EditRead> read = ReadForEdit(path, moduleName, options, name, &refused);
  if (!read) return refused ? FileResult::Refused : FileResult::Failed;
  const int mode = ModeFor(options.mode, read->info);
  if (const auto refusal = PcmRefusal(*read, mode, options)) {
    ReportFailure(name, *refusal);
    return FileResult::Refused;
  }
  std::optional<Plan> plan = MakePlan(path, moduleName, *read, mode, options, edits, name);
  if (!plan) return FileResult::Refused;
  if (LeavesAsItIs(*plan, *read)) return FileResult::Unchanged;
  if (options.dryRun) {
    ShowDryRun({name, read->probe, plan->before, plan->info, mode, plan->outcome, plan->stripped,
                plan->obstacle, plan->head, edits.encoding, plan->id3v2});
    return FileResult::Written;
  }
  return Write(path, moduleName, *read, *plan, options, state, times, name, journal);
}

}  // namespace vthost
