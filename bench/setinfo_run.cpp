// One rewrite of one file, timed inside the process; the driver runs it as a
// child and takes the peak memory from the child's resource usage.
// Usage: setinfo_run WHAT FILE
//   WHAT = 0, 1, 2  GetInfo (not timed), then SetInfo in that mode (timed)
//          floor    the least any rewrite costs: read the whole file into
//                   memory and write it back in place (timed)
//          copy     the least a write through a new file costs: copy the
//                   file into a new one beside it (copy_file_range, as the
//                   module) and flush that (timed); the copy is removed
//          replace  the same, then the copy renamed over the file and the
//                   old file closed, which frees its blocks (timed): what
//                   any safe save of a whole file costs
//          idle     nothing: the program's own footprint, to subtract
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "GetInfo.h"
#include "SetInfo.h"

namespace {

// Whole file in, whole file out, with the same system calls the module's
// write pass needs (one open, one size query, one read, one write, close).
bool ReadAndWriteBack(const char* path) {
  const int fd = ::open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  const auto size = static_cast<std::size_t>(st.st_size);
  auto buffer = std::make_unique_for_overwrite<unsigned char[]>(size);
  std::size_t done = 0;
  while (ok && done < size) {
    const ssize_t n = ::pread(fd, buffer.get() + done, size - done, static_cast<off_t>(done));
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  done = 0;
  while (ok && done < size) {
    const ssize_t n = ::pwrite(fd, buffer.get() + done, size - done, static_cast<off_t>(done));
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

// FILE copied to FILE.copy-floor and flushed; with replace, renamed over
// FILE before the old FILE is closed, else removed after (untimed).
bool CopyAndFlush(const char* path, bool replace) {
  const std::string copy = std::string(path) + ".copy-floor";
  const int in = ::open(path, O_RDONLY | O_CLOEXEC);
  const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  struct stat st {};
  bool ok = in >= 0 && out >= 0 && ::fstat(in, &st) == 0;
  off_t done = 0;
  while (ok && done < st.st_size) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(st.st_size - done), 0);
    if (n <= 0) {  // no copy by the system: through memory
      static char block[1 << 20];
      n = ::pread(in, block, sizeof block, done);
      ok = n > 0 && ::pwrite(out, block, static_cast<std::size_t>(n), done) == n;
    }
    done += n;
  }
  ok = ok && ::fsync(out) == 0;
  if (replace) ok = ok && ::rename(copy.c_str(), path) == 0;
  if (in >= 0) ::close(in);
  if (out >= 0) ::close(out);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s 0|1|2|floor|copy|replace|idle FILE\n", argv[0]);
    return 2;
  }
  const std::string what = argv[1];
  const char* path = argv[2];
  if (what == "idle") {
    std::printf("what=idle seconds=0 result=0\n");
    return 0;
  }

  std::uint32_t result = 0;
  std::chrono::duration<double> elapsed{};
  if (what == "floor" || what == "copy" || what == "replace") {
    const auto start = std::chrono::steady_clock::now();
    result = (what == "floor" ? ReadAndWriteBack(path) : CopyAndFlush(path, what == "replace")) ? 0 : 1;
    elapsed = std::chrono::steady_clock::now() - start;
    if (what == "copy") ::unlink((std::string(path) + ".copy-floor").c_str());
  } else {
    TagInfo info{};
    try {
      vomtrail::GetFileInfo(vomtrail::NativeFileSystem(), path, info);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s\n", path, e.what());
      return 1;
    }
    const char title[] = "Benchmark title";
    info.Items[VT_ITEM_TITLE].Length = sizeof title - 1;
    std::memcpy(info.Items[VT_ITEM_TITLE].Text, title, sizeof title - 1);
    const auto mode = static_cast<std::uint8_t>(std::stoi(what));
    const auto start = std::chrono::steady_clock::now();
    result = vomtrail::SetFileInfo(vomtrail::NativeFileSystem(), path, info, mode);
    elapsed = std::chrono::steady_clock::now() - start;
  }
  std::printf("what=%s seconds=%.6f result=%u\n", what.c_str(), elapsed.count(), result);
  return result == 0 ? 0 : 1;
}
