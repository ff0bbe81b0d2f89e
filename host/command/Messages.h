// What the command says on stderr, and the exit status that goes with it.
// Every message has the form "vomtrail: FILE: message", or "vomtrail:
// message" for what concerns no one file, with control bytes escaped.
#pragma once

#include <string>
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

}  // namespace vthost
