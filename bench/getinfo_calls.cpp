// Reads one file over and over through GetFileInfo and prints how many calls
// a second that makes and how many file operations each call costs, counted
// in the file layer. Usage: getinfo_calls FILE [CALLS]
//
// The counts are exact; the rate depends on the machine and its load.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "CountingFileSystem.h"
#include "GetInfo.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [CALLS]\n", argv[0]);
    return 2;
  }
  const char* path = argv[1];
  const long calls = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 100000;
  if (calls <= 0) return 2;

  vomtrail::bench::CountingFileSystem files(vomtrail::NativeFileSystem());
  TagInfo info{};
  try {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i) vomtrail::GetFileInfo(files, path, info);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    const auto& c = files.Counts();
    const auto n = static_cast<double>(calls);
    std::printf(
        "file=%s calls=%ld seconds=%.4f calls_per_second=%.0f us_per_call=%.3f "
        "opens_per_call=%.2f reads_per_call=%.2f bytes_read_per_call=%.0f closes_per_call=%.2f\n",
        path, calls, elapsed.count(), n / elapsed.count(), elapsed.count() * 1e6 / n,
        static_cast<double>(c.opens) / n, static_cast<double>(c.reads) / n,
        static_cast<double>(c.bytesRead) / n, static_cast<double>(c.closes) / n);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", path, e.what());
    return 1;
  }
  return 0;
}
