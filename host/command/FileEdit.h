// One file through `vomtrail set`, under the command's own lock from its
// first read to its last check:
//
//   1. read: the command's look at the bytes, then GetInfo; the record's
//      form is the one the file's bytes show;
//   2. refuse what would damage: a write the module would take other
//      bytes for the audio in, an ID3v2 tag that would land in an RMP3
//      data chunk;
//   3. the new record: texts of every INFO list, the edits, texts a change
//      of form would lose, an ID3v2 tag's texts when it is taken out;
//   4. with --dry-run, say what would be written and stop;
//   5. write: refused when the file changed since step 1; the backup made
//      first and removed again when the write is refused;
//   6. the command's own writes: the ID3v2 tag cut out of the data chunk,
//      the list before a WAVE file's audio brought in step;
//   7. read the file back and compare; only then "written as ...".
//
// The run's journal is told before and after the write, so that `vomtrail
// undo` can put the file back. A file whose record the edits leave as it
// is, in the form it has, is not written at all.
#pragma once

#include <filesystem>

#include "command/RunSummary.h"
#include "command/SetCommand.h"
#include "edits/TagEdits.h"
#include "journal/RunJournal.h"

namespace vthost {

// With --dry-run a file that would be written counts as written.
FileResult EditFile(const std::filesystem::path& path, const SetOptions& options, const TagEdits& edits,
                    RunJournal* journal = nullptr);

}  // namespace vthost
