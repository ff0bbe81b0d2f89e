// The least a tag reader can do per file: open it, read the first 4 KiB and
// the last 128 bytes, close it. Usage: floor_reader LIST [ROUNDS]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "CorpusList.h"
#include "ReportRate.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s LIST [ROUNDS]\n", argv[0]);
    return 2;
  }
  const auto paths = vomtrail::bench::ReadCorpusList(argv[1]);
  const long rounds = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1;

  unsigned char head[4096];
  unsigned char tail[128];
  std::uint64_t checksum = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long r = 0; r < rounds; ++r) {
    for (const auto& path : paths) {
      const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) continue;
      struct stat st {};
      if (::fstat(fd, &st) == 0 && ::pread(fd, head, sizeof head, 0) > 0 && st.st_size >= 128 &&
          ::pread(fd, tail, sizeof tail, st.st_size - 128) == 128)
        checksum += head[1] + tail[3];
      ::close(fd);
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  vomtrail::bench::ReportRate("floor", paths.size() * static_cast<std::size_t>(rounds), elapsed, checksum);
  return 0;
}
