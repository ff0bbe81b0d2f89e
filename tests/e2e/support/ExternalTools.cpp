#include "ExternalTools.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ScratchFiles.h"

namespace vomtrail::e2e {

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string Quoted(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

ToolRun RunTool(const std::string& command, const std::string& tag) {
  const std::string out = ScratchPath(tag + ".out");
  const std::string err = ScratchPath(tag + ".err");
  const int raw = std::system((command + " >" + Quoted(out) + " 2>" + Quoted(err)).c_str());
  ToolRun run;
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  run.output = ReadText(out);
  return run;
}

namespace {

ProbedAudio ParseProbe(const std::string& output) {
  ProbedAudio probed;
  const auto json = nlohmann::json::parse(output, nullptr, false);
  if (json.is_discarded() || !json.contains("streams") || json["streams"].empty()) return probed;
  const auto& stream = json["streams"][0];
  const auto number = [&](const char* key) -> std::string {
    return stream.contains(key) && stream[key].is_string() ? stream[key].get<std::string>() : "0";
  };
  probed.opened = true;
  probed.format = json["format"].value("format_name", "");
  probed.codec = stream.value("codec_name", "");
  probed.sampleRate = std::stoi(number("sample_rate"));
  probed.bitRate = std::stol(number("bit_rate"));
  probed.channels = stream.value("channels", 0);
  probed.packets = std::stol(number("nb_read_packets"));
  probed.duration = std::stod(json["format"].value("duration", "0"));
  return probed;
}

}  // namespace

ProbedAudio Probe(const std::string& path) {
  const ToolRun run =
      RunTool(std::string(VT_FFPROBE) + " -v error -count_packets -show_streams -show_format -of json " +
                  Quoted(path),
              "ffprobe");
  return run.status == 0 ? ParseProbe(run.output) : ProbedAudio{};
}

ProbedAudio ProbeFixture(const std::string& name) {
  return ParseProbe(ReadText(FixturePath(name) + ".probe.json"));
}

TagLibView ReadWithTagLib(const std::string& kind, const std::string& path) {
  // The sanitizer build instruments the reader too; TagLib's own
  // allocations are not this project's to judge.
  const ToolRun run = RunTool(
      "ASAN_OPTIONS=detect_leaks=0 " + Quoted(VT_TAGLIB_READ) + " " + kind + " " + Quoted(path), "taglib");
  EXPECT_EQ(run.status, 0) << "taglib-read failed on " << path;
  TagLibView view;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals != std::string::npos) view[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return view;
}

nlohmann::json ReadWithMutagen(const std::string& path) {
  const ToolRun run =
      RunTool(Quoted(VT_SYSTEM_PYTHON3) + " " + Quoted(VT_MUTAGEN_READ) + " " + Quoted(path), "mutagen");
  EXPECT_EQ(run.status, 0) << "mutagen-read failed on " << path;
  auto json = nlohmann::json::parse(run.output, nullptr, false);
  return json.is_discarded() ? nlohmann::json::object() : json;
}

}  // namespace vomtrail::e2e
