#include "command/SetCommand.h"

#include "Vomtrail.h"
#include "command/FileEdit.h"
#include "command/FileWalk.h"
#include "command/Messages.h"
#include "command/Progress.h"
#include "system/FileNames.h"

namespace vthost {
namespace {

constexpr std::pair<const char*, int> kModes[] = {
    {"mp3", VT_MODE_MP3}, {"rmp3", VT_MODE_RMP3}, {"wave", VT_MODE_WAVE}};

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
  if (IsEmpty(edits) && !options.mode && !options.from) {
    ReportUsage(
        "nothing to change: give a text option, --track, --genre, --info, --from or --to; no file was "
        "written");
    return kExitUsage;
  }
  if (edits.trackTotal)
    ReportRunWarning("--track " + *options.edits.track + ": ID3v1 has no place for the total " +
                     *edits.trackTotal + "; the track is written as " + std::to_string(*edits.track));
  const FileList list = ListFiles(options.files, false);
  Progress progress(list.files.size());
  for (std::size_t i = 0; i < list.files.size(); ++i) {
    progress.Show(i + 1, DisplayName(list.files[i]));
    EditFile(list.files[i], options, edits);
  }
  return FilesExitStatus();
}

}  // namespace vthost
