// The journal of one run on disk: a folder named by the run's number under
// the state folder's "journal", holding journal.jsonl (one JSON object per
// line, appended as the run goes, so a run that was killed still has all it
// wrote before) and the kept bytes of each file as files of their own
// (N.head, N.tail, N.whole). Lines, by "type":
//   run      the header: run number, start time, command, folder, and for an
//            undo the run it undoes
//   content  before a file's content is written: its path, stamp and hash,
//            where its audio lay, and which bytes around it were kept
//   rename   before a file is renamed: old and new path, folders made for it
//   done     after entry n was carried out: the file's new stamp, hash
//            around its audio and where its audio lies now
//   unchanged  entry n was not carried out; the file is as it was
//   end      the run finished: when, and its summary
// A file "undone" in the folder names the run that undid this one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "journal/AudioSpan.h"
#include "system/FileStamp.h"

namespace vthost {

using JournalJson = nlohmann::json;

inline constexpr const char* kJournalFile = "journal.jsonl";
inline constexpr const char* kUndoneFile = "undone";

// The folder that holds the runs, or nothing without a state folder.
std::optional<std::filesystem::path> JournalRoot();

JournalJson StampJson(const FileStamp& stamp);
std::optional<FileStamp> StampFromJson(const JournalJson& json);

JournalJson SpanJson(const std::optional<ByteSpan>& span);
std::optional<ByteSpan> SpanFromJson(const JournalJson& json);

// A path as the journal keeps it: bytes in hex (exact) and a text to show.
JournalJson PathJson(const std::filesystem::path& path);
std::optional<std::filesystem::path> PathFromJson(const JournalJson& json);

// The hash of a file's bytes around its audio (all of it when `audio` is
// nothing), to tell the file is still as a run left it.
std::optional<std::uint64_t> HashAround(const std::filesystem::path& path, std::uint64_t size,
                                        const std::optional<ByteSpan>& audio);

}  // namespace vthost
