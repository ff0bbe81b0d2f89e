// The independent programs the end-to-end tests trust: ffprobe for the
// audio stream, mutagen and TagLib for the tags. Each runs as its own
// process; its output goes to a file in the scratch folder, kept for a look
// when a test fails.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace vomtrail::e2e {

struct ToolRun {
  int status = -1;     // the exit status; -1 when the program did not run
  std::string output;  // what it wrote to its standard output
};

// Runs a shell command with its standard output and error in scratch files
// named after the test and the tag.
ToolRun RunTool(const std::string& command, const std::string& tag);

// A path quoted for the shell.
std::string Quoted(const std::string& path);

// What ffprobe makes of a file's first stream, its packets counted: for an
// MPEG stream one packet is one audio frame, a leading Xing or Info frame
// not included.
struct ProbedAudio {
  bool opened = false;  // ffprobe found a stream
  std::string format;   // container: "mp3", "wav", ...
  std::string codec;    // "mp3", "mp2", "pcm_s16le", ...
  int sampleRate = 0;
  long bitRate = 0;  // bit/s; for variable rate the average
  int channels = 0;
  long packets = 0;
  double duration = 0;  // seconds
};
ProbedAudio Probe(const std::string& path);
// The same for a fixture, from the reading make-fixtures.sh saved.
ProbedAudio ProbeFixture(const std::string& name);

// TagLib's key=value view (see taglib-read.cpp); kind is "mpeg" or "wav".
using TagLibView = std::map<std::string, std::string>;
TagLibView ReadWithTagLib(const std::string& kind, const std::string& path);

// mutagen's view (see mutagen-read.py): {"id3v1": {...} or null,
// "stream": {...}}.
nlohmann::json ReadWithMutagen(const std::string& path);

}  // namespace vomtrail::e2e
