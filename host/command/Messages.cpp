#include "command/Messages.h"

#include <cstdio>
#include <iostream>

#include "command/Progress.h"
#include "report/OutputEscape.h"

namespace vthost {
namespace {

bool anyFailure = false;

void Say(const std::string& text) {
  // The progress line goes, and what went to stdout before stays before.
  Progress::ClearActive();
  std::cout.flush();
  std::fprintf(stderr, "vomtrail: %s\n", text.c_str());
  std::fflush(stderr);
}

void SayAboutFile(const std::string& name, const std::string& message) {
  Say(EscapeControls(name) + ": " + EscapeControls(message));
}

}  // namespace

void ReportFailure(const std::string& name, const std::string& message) {
  anyFailure = true;
  SayAboutFile(name, message);
}

void ReportWarning(const std::string& name, const std::string& message) { SayAboutFile(name, message); }

void ReportWarnings(const std::string& name, const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) ReportWarning(name, warning);
}

std::string Listed(const std::vector<std::string>& items, const char* between) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : between) + item;
  return text;
}

void ReportRunFailure(const std::string& message) {
  anyFailure = true;
  Say(EscapeControls(message));
}

void ReportRunWarning(const std::string& message) { Say(EscapeControls(message)); }

void ReportUsage(const std::string& message) { Say(EscapeControls(message)); }

int FilesExitStatus() { return anyFailure ? kExitFileFailed : kExitOk; }

}  // namespace vthost
