// One `vomtrail set` at a time on a file, and no write over a file that
// changed since the command read it.
//
// The command reads a file (its own look and GetInfo), edits the record and
// hands it to SetInfo; a second run doing the same meanwhile would write
// texts read before the first one's write, and the first run's edit would
// be lost. The module locks the file only within each call, so the command
// holds a lock of its own from before its first read until its last check.
// It is a lock on the file's name, not on the file (a change of form puts a
// new file in the old one's place, which a lock on the old file would not
// cover), and it never touches the file itself, which the module locks on
// its own descriptor: on Linux flock on a lock file of this user's for the
// file's real path; on Windows, where the module opens the file without
// sharing, a named mutex for the file's full path.
//
// Other programs take no such lock; a change they make between the
// command's read and its write shows in the file's size, times or identity
// (FileState), and the command then refuses the write.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vthost {

class EditLock {
 public:
  EditLock() = default;
  ~EditLock();
  EditLock(const EditLock&) = delete;
  EditLock& operator=(const EditLock&) = delete;

  // Waits up to `patience` while another run holds the file. Returns an
  // empty text once the lock is held, or when the file cannot be locked at
  // all (it may not be written, or is no regular file: the write then fails
  // on its own); otherwise why not.
  std::string Take(const std::filesystem::path& path, std::chrono::milliseconds patience);

 private:
  std::intptr_t handle_ = -1;  // a descriptor (Linux) or a mutex handle (Windows)
};

inline constexpr std::chrono::milliseconds kLockPatience{60000};

// What shows that a file changed: which file the name leads to, its size
// and the times of its last change.
struct FileState {
  std::uint64_t device = 0, file = 0, size = 0;
  std::int64_t modified[2] = {0, 0};
  std::int64_t changed[2] = {0, 0};  // status change (Linux); 0 where the system has none
  bool operator==(const FileState&) const = default;
};

std::optional<FileState> ReadFileState(const std::filesystem::path& path);

}  // namespace vthost
