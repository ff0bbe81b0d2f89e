// TagLib asked for what GetInfo gives: the tag texts and the audio
// properties. WAVE files go to TagLib's RIFF reader, everything else to its
// MPEG reader (which also copes with RIFF "RMP3" by scanning for frames).
// Usage: taglib_reader LIST [ROUNDS]
#include <taglib/audioproperties.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/wavfile.h>

#include <chrono>
#include <cstdlib>

#include "CorpusList.h"
#include "ReportRate.h"

namespace {

std::uint64_t Fold(const TagLib::Tag* tag, const TagLib::AudioProperties* audio) {
  std::uint64_t sum = 0;
  if (tag != nullptr) {
    sum += tag->title().size() + tag->artist().size() + tag->album().size() + tag->comment().size() +
           tag->genre().size() + tag->year() + tag->track();
  }
  if (audio != nullptr) {
    sum += static_cast<std::uint64_t>(audio->bitrate()) + static_cast<std::uint64_t>(audio->sampleRate()) +
           static_cast<std::uint64_t>(audio->lengthInSeconds()) +
           static_cast<std::uint64_t>(audio->channels());
  }
  return sum;
}

bool IsWave(const std::string& path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".wav") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s LIST [ROUNDS]\n", argv[0]);
    return 2;
  }
  const auto paths = vomtrail::bench::ReadCorpusList(argv[1]);
  const long rounds = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1;

  std::uint64_t checksum = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long r = 0; r < rounds; ++r) {
    for (const auto& path : paths) {
      if (IsWave(path)) {
        TagLib::RIFF::WAV::File file(path.c_str());
        checksum += Fold(file.tag(), file.audioProperties());
      } else {
        TagLib::MPEG::File file(path.c_str());
        checksum += Fold(file.tag(), file.audioProperties());
      }
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  vomtrail::bench::ReportRate("taglib", paths.size() * static_cast<std::size_t>(rounds), elapsed, checksum);
  return 0;
}
