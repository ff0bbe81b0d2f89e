// A one-line progress display on stderr for long runs at a terminal. It is
// for a person watching, so it stays away from pipes and files, and from
// short runs where it would only flicker.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace vthost {

class Progress {
 public:
  static constexpr std::size_t kLeastFiles = 21;

  explicit Progress(std::size_t total);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Shows "[index/total] 52 files/s, 0:18 left  name" in place of the
  // previous line, the name's control bytes escaped; index counts from 1
  // and the files before it are done. At most ten lines a second are drawn.
  void Show(std::size_t index, const std::string& name);
  // Erases the line, so that other output starts on a clean line.
  void Clear();
  // Clears the display of the run in progress, if any: called before every
  // message, wherever it comes from.
  static void ClearActive();

 private:
  std::size_t total_;
  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDrawn_{};
};

}  // namespace vthost
