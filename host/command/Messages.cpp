#include "command/Messages.h"

#include <atomic>
#include <cstdio>
#include <iostream>

#include "command/Progress.h"
#include "report/OutputEscape.h"

namespace vthost {

void HoldMessage(const std::string& text, bool failure);

namespace {

std::atomic<bool> anyFailure{false};
thread_local HeldOutput* held = nullptr;

void Say(const std::string& text, bool failure = false) {
  if (held != nullptr) {
    HoldMessage(text, failure);
    return;
  }
  if (failure) anyFailure = true;
  // The progress line goes, and what went to stdout before stays before.
  Progress::ClearActive();
  std::cout.flush();
  std::fprintf(stderr, "vomtrail: %s\n", text.c_str());
  std::fflush(stderr);
}

void SayAboutFile(const std::string& name, const std::string& message, bool failure = false) {
  Say(EscapeControls(name) + ": " + EscapeControls(message), failure);
}

}  // namespace

void HoldMessage(const std::string& text, bool failure) {
  held->TakeResults();
  held->parts_.emplace_back(true, "vomtrail: " + text + "\n");
  held->failed_ = held->failed_ || failure;
}

void HeldOutput::TakeResults() {
  if (results_.tellp() <= 0) return;
  parts_.emplace_back(false, results_.str());
  results_.str("");
}

void HeldOutput::Show() {
  TakeResults();
  if (failed_) anyFailure = true;
  if (parts_.empty()) return;
  Progress::ClearActive();
  for (const auto& [toStderr, text] : parts_) {
    if (toStderr) {
      std::cout.flush();
      std::fputs(text.c_str(), stderr);
      std::fflush(stderr);
    } else {
      std::cout << text;
    }
  }
  std::cout.flush();
  parts_.clear();
}

HoldOutput::HoldOutput(HeldOutput& output) : previous_(held) { held = &output; }

HoldOutput::~HoldOutput() {
  held->TakeResults();
  held = previous_;
}

std::ostream& Out() { return held != nullptr ? held->results_ : std::cout; }

void ReportFailure(const std::string& name, const std::string& message) { SayAboutFile(name, message, true); }

void ReportWarning(const std::string& name, const std::string& message) { SayAboutFile(name, message); }

void ReportWarnings(const std::string& name, const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) ReportWarning(name, warning);
}

std::string Listed(const std::vector<std::string>& items, const char* between) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : between) + item;
  return text;
}

void ReportRunFailure(const std::string& message) { Say(EscapeControls(message), true); }

void ReportRunWarning(const std::string& message) { Say(EscapeControls(message)); }

void ReportUsage(const std::string& message) { Say(EscapeControls(message)); }

int FilesExitStatus() { return anyFailure ? kExitFileFailed : kExitOk; }

}  // namespace vthost
