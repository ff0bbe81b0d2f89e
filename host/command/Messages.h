// What the command says on stderr, and the exit status that goes with it.
// Every message has the form "vomtrail: FILE: message", or "vomtrail:
// message" for what concerns no one file, with control bytes escaped.
#pragma once

#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vthost {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailed = 1;  // a file failed or was refused; the others were done
inline constexpr int kExitUsage = 2;       // nothing read or written

// The file failed or was refused: the run's exit status becomes 1.
void ReportFailure(const std::string& name, const std::string& message);
// Something about the file the user should know; it fails nothing.
void ReportWarning(const std::string& name, const std::string& message);
// Each of the warnings.
void ReportWarnings(const std::string& name, const std::vector<std::string>& warnings);
// The same two for the run as a whole.
void ReportRunFailure(const std::string& message);
void ReportRunWarning(const std::string& message);
// A usage error: the caller ends the run with kExitUsage.
void ReportUsage(const std::string& message);

// "a, b, c": the items of a message.
std::string Listed(const std::vector<std::string>& items, const char* between = ", ");

// kExitFileFailed once any failure was reported, kExitOk before.
int FilesExitStatus();

// Where a command's results go ("NAME: written as mp3"): standard output,
// or while this thread holds its output, the held output.
std::ostream& Out();

// What one file's work said, kept while it ran on a worker thread, to be
// shown when the file's turn comes: runs on several threads print what one
// thread would, in the same order.
class HeldOutput {
 public:
  // Prints what was held, stdout and stderr parts in the order said.
  void Show();
  bool Failed() const { return failed_; }

 private:
  friend class HoldOutput;
  friend void HoldMessage(const std::string& text, bool failure);
  friend std::ostream& Out();
  void TakeResults();  // what went to Out() so far, as a stdout part

  std::vector<std::pair<bool, std::string>> parts_;  // (to stderr, text)
  std::ostringstream results_;
  bool failed_ = false;
};

// While one of these lives, this thread's messages and Out() go into
// `held` instead of the terminal.
class HoldOutput {
 public:
  explicit HoldOutput(HeldOutput& held);
  ~HoldOutput();
  HoldOutput(const HoldOutput&) = delete;
  HoldOutput& operator=(const HoldOutput&) = delete;

 private:
  HeldOutput* previous_;
};

}  // namespace vthost
