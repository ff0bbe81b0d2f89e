// How fast the inspection counts the frames of a stream without a frame
// count ("scan": the probe and the count, as info runs them), beside the
// floor of reading the same bytes in the same 4 MiB blocks and doing
// nothing with them ("floor"). Usage: frame_scan floor|scan FILE; prints a
// line with MB/s (the driver drops the file from the page cache before a
// run for the cold figures).
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "FileProbe.h"
#include "FrameScan.h"
#include "HeadAndTail.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* reader, std::uint64_t bytes, std::chrono::duration<double> elapsed,
            std::uint64_t check) {
  const double seconds = elapsed.count();
  std::printf("reader=%s bytes=%llu seconds=%.4f mb_per_second=%.0f checksum=%llu\n", reader,
              static_cast<unsigned long long>(bytes), seconds,
              seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0,
              static_cast<unsigned long long>(check));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s floor|scan FILE\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const char* path = argv[2];
  if (mode == "floor") {
    // The same 4 MiB blocks, read and dropped.
    std::vector<char> block(4u << 20);
    std::uint64_t total = 0, check = 0;
    const auto start = Clock::now();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 1;
    for (ssize_t got; (got = ::read(fd, block.data(), block.size())) > 0;) {
      total += static_cast<std::uint64_t>(got);
      check += static_cast<unsigned char>(block[0]);
    }
    ::close(fd);
    Report("floor", total, Clock::now() - start, check);
    return 0;
  }
  const auto start = Clock::now();
  vtinspect::FileBytes file(path);
  vtinspect::HeadAndTail ends(file, vtinspect::kHeadBytes, vtinspect::kTailBytes);
  const vtinspect::FileProbe probe = vtinspect::ProbeBytes(ends);
  if (!probe.frame) return 1;
  const auto tally = vtinspect::CountFrames(ends, probe.frameOffset, *probe.frame, probe.AudioEnd());
  Report("scan", probe.size, Clock::now() - start, tally.frames);
  std::printf("frames=%llu vbr=%d\n", static_cast<unsigned long long>(tally.frames), tally.Vbr() ? 1 : 0);
  return 0;
}
