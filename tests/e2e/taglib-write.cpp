// Writes a title and an artist into a WAVE file's LIST INFO with TagLib's
// own save, so that tests can edit files as TagLib leaves them. Usage:
// taglib-write <file> <title> <artist>; exit status 1 when TagLib cannot.
#include <taglib/infotag.h>
#include <taglib/wavfile.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: taglib-write <file> <title> <artist>\n");
    return 2;
  }
  TagLib::RIFF::WAV::File file(argv[1]);
  if (!file.isValid()) return 1;
  file.InfoTag()->setTitle(TagLib::String(argv[2], TagLib::String::UTF8));
  file.InfoTag()->setArtist(TagLib::String(argv[3], TagLib::String::UTF8));
  return file.save() ? 0 : 1;
}
