#include "command/Progress.h"

#include <cstdio>

#include "report/OutputEscape.h"
#include "system/Terminal.h"

namespace vthost {
namespace {

constexpr std::size_t kWidth = 79;  // fits any terminal without wrapping
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

// "52 files/s, 0:18 left" once a second has passed and a file is done.
std::string Pace(std::size_t done, std::size_t total, double seconds) {
  if (seconds < 1 || done == 0) return "";
  const double rate = static_cast<double>(done) / seconds;
  const auto left = static_cast<long long>(static_cast<double>(total - done) / rate + 0.5);
  char text[64];
  std::snprintf(text, sizeof text, "%.0f files/s, %lld:%02lld left  ", rate, left / 60, left % 60);
  return text;
}

Progress* active = nullptr;  // one run at a time

}  // namespace

Progress::Progress(std::size_t total) : total_(total), enabled_(total >= kLeastFiles && StderrIsTerminal()) {
  active = this;
}

Progress::~Progress() {
  Clear();
  active = nullptr;
}

void Progress::ClearActive() {
  if (active != nullptr) active->Clear();
}

void Progress::Show(std::size_t index, const std::string& rawName) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDrawn_ < kRedrawEvery && index != total_) return;
  lastDrawn_ = now;
  // A name is bytes from the file system: a control byte in it could drive
  // the terminal, so it is escaped like every name the command prints.
  const std::string name = EscapeControls(rawName);
  char counter[48];
  std::snprintf(counter, sizeof counter, "[%zu/%zu] ", index, total_);
  std::string line = counter;
  line += Pace(index - 1, total_, std::chrono::duration<double>(now - start_).count());
  // Keep the end of a long name: that is where the names differ.
  const std::size_t room = kWidth > line.size() ? kWidth - line.size() : 0;
  if (name.size() <= room) {
    line += name;
  } else {
    std::size_t start = name.size() - room + 3;
    while (start < name.size() && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80) ++start;
    line.append("...").append(name, start);  // from the start of a UTF-8 character
  }
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void Progress::Clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace vthost
