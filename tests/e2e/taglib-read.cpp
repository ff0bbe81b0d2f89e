// Prints what TagLib, a reader independent of the module, sees in a file:
// one "key=value" line per fact, for the tests to compare with what the
// module wrote. Usage: taglib-read mpeg|id3v2|wav <file>
//
// "mpeg" opens the file as an MPEG stream and reports its ID3v1 block;
// "id3v2" the same stream's ID3v2 tag;
// "wav" opens it as a RIFF WAVE file and reports its LIST INFO texts. A file
// TagLib cannot open prints "valid=0" and nothing else.
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>
#include <taglib/xingheader.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void Print(const char* key, const TagLib::String& value) {
  std::printf("%s=%s\n", key, value.to8Bit(true).c_str());
}

void Print(const char* key, long long value) { std::printf("%s=%lld\n", key, value); }

void PrintAudio(const TagLib::AudioProperties* audio) {
  if (audio == nullptr) return;
  Print("sample_rate", audio->sampleRate());
  Print("channels", audio->channels());
  Print("bitrate", audio->bitrate());
  Print("length_ms", audio->lengthInMilliseconds());
}

int ReadMpeg(const char* path) {
  TagLib::MPEG::File file(path, true, TagLib::AudioProperties::Accurate);
  Print("valid", file.isValid() ? 1 : 0);
  if (!file.isValid()) return 0;
  PrintAudio(file.audioProperties());
  if (const auto* audio = file.audioProperties()) {
    Print("layer", audio->layer());
    if (const auto* xing = audio->xingHeader()) Print("xing_frames", xing->totalFrames());
  }
  Print("has_id3v1", file.hasID3v1Tag() ? 1 : 0);
  Print("has_id3v2", file.hasID3v2Tag() ? 1 : 0);
  if (const TagLib::ID3v1::Tag* tag = file.hasID3v1Tag() ? file.ID3v1Tag(false) : nullptr) {
    Print("title", tag->title());
    Print("artist", tag->artist());
    Print("album", tag->album());
    Print("year", tag->year());
    Print("comment", tag->comment());
    Print("track", tag->track());
    Print("genre", tag->genreNumber());
  }
  return 0;
}

int ReadId3v2(const char* path) {
  TagLib::MPEG::File file(path, true, TagLib::AudioProperties::Accurate);
  Print("valid", file.isValid() ? 1 : 0);
  if (!file.isValid()) return 0;
  Print("has_id3v2", file.hasID3v2Tag() ? 1 : 0);
  const TagLib::ID3v2::Tag* tag = file.hasID3v2Tag() ? file.ID3v2Tag(false) : nullptr;
  if (tag == nullptr) return 0;
  Print("version", tag->header()->majorVersion());
  Print("title", tag->title());
  Print("artist", tag->artist());
  Print("album", tag->album());
  Print("year", tag->year());
  Print("comment", tag->comment());
  Print("track", tag->track());
  Print("genre", tag->genre());
  return 0;
}

int ReadWav(const char* path) {
  TagLib::RIFF::WAV::File file(path, true, TagLib::AudioProperties::Accurate);
  Print("valid", file.isValid() ? 1 : 0);
  if (!file.isValid()) return 0;
  PrintAudio(file.audioProperties());
  Print("has_info", file.hasInfoTag() ? 1 : 0);
  if (const TagLib::RIFF::Info::Tag* info = file.InfoTag()) {
    // The INFO ids are printed under their own names: INAM, IART, ...
    for (const auto& [id, text] : info->fieldListMap()) {
      const std::string name(id.data(), id.size());
      Print(name.c_str(), text);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: taglib-read mpeg|id3v2|wav <file>\n");
    return 2;
  }
  if (std::strcmp(argv[1], "mpeg") == 0) return ReadMpeg(argv[2]);
  if (std::strcmp(argv[1], "id3v2") == 0) return ReadId3v2(argv[2]);
  if (std::strcmp(argv[1], "wav") == 0) return ReadWav(argv[2]);
  std::fprintf(stderr, "unknown kind %s\n", argv[1]);
  return 2;
}
