// The first step of `vomtrail set` on a file: the command's look at its
// bytes, the module's record, and the refusals of what the module would get
// wrong. The record's form is the one the bytes show.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "FileProbe.h"
#include "Record.h"
#include "command/SetCommand.h"
#include "edits/ModuleOutput.h"
#include "system/FileNames.h"

namespace vthost {

// A file as the first step leaves it: the command's look, the record, the
// form its bytes show and the bytes the module takes for the audio.
struct EditRead {
  vtinspect::FileProbe probe;
  TagInfo info = FreshRecord();
  AudioSpan audio;
  int Kind() const { return info.FileKind; }
};

// The file read, or nothing with the failure or refusal reported;
// `refused` (when given) tells which of the two it was.
std::optional<EditRead> ReadForEdit(const std::filesystem::path& path, const ModuleName& moduleName,
                                    const SetOptions& options, const std::string& name,
                                    bool* refused = nullptr);

// Why a WAVE file of other audio must not be written in `mode`, or nothing.
std::optional<std::string> PcmRefusal(const EditRead& read, int mode, const SetOptions& options);

}  // namespace vthost
