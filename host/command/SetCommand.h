// `vomtrail set`: GetInfo, edit the record, SetInfo, for each file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "edits/TagCopy.h"
#include "edits/TagEdits.h"
#include "journal/JournalLimits.h"

namespace vthost {

struct SetOptions {
  EditOptions edits;
  std::optional<int> mode;  // --to, as VT_MODE_*; without it a file keeps its form
  bool force = false;
  bool preserveTimes = false;
  bool backup = false;
  bool stripId3v2 = false;              // take an ID3v2 tag out of the audio of RIFF output
  bool dryRun = false;                  // say what would be written, write nothing
  bool renameExtension = false;         // give a written file the extension of its form
  std::optional<std::string> fromName;  // a pattern that reads fields out of each path
  std::optional<CopySource> from;       // fill the other tag kinds from this one
  bool id3v1Only = false;               // leave the ID3v2 tag at the start of an MP3 file alone
  bool allFiles = false;                // in folders, every file
  unsigned jobs = 0;                    // threads; 0: DefaultJobs()
  JournalOptions journal;
  std::string commandText;         // for the journal
  std::vector<std::string> files;  // files, or folders to walk
};

// The names --to takes for the write modes (VT_MODE_*): mp3, rmp3, wave.
std::vector<std::string> ModeNames();
const char* ModeName(int mode);
int ModeNamed(const std::string& name);  // one of ModeNames()

// Files are read and written on several threads, their messages shown in
// the order of one; the run ends with a summary. The exit status: 0 when
// every file was written or left as it was, 1 when any failed or was
// refused, 2 for edits that cannot be made (nothing written).
int RunSet(const SetOptions& options);

}  // namespace vthost
