// TagLib writing an ID3v1 title into an MPEG file, timed from opening the
// file to the end of the save, the way a tagger using it would.
// Usage: taglib_save FILE | taglib_save idle
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE|idle\n", argv[0]);
    return 2;
  }
  if (std::strcmp(argv[1], "idle") == 0) {
    std::printf("what=idle seconds=0 result=0\n");
    return 0;
  }
  const auto start = std::chrono::steady_clock::now();
  bool saved = false;
  {
    TagLib::MPEG::File file(argv[1], false);
    file.ID3v1Tag(true)->setTitle("Benchmark title");
    saved = file.save(TagLib::MPEG::File::ID3v1, TagLib::File::StripNone);
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("what=taglib seconds=%.6f result=%d\n", elapsed.count(), saved ? 0 : 1);
  return saved ? 0 : 1;
}
