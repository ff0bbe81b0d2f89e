// The writing driver. The new file is described in full first, as runs of
// new bytes and of old bytes that stay where they are or move; then the
// file layer puts it on the disk (CommitContent): through a new file that
// takes the old one's place when the audio moves, over the old file's own
// tag bytes when it stays. Every failure leaves the file as it was.
#include "SetInfo.h"

#include <cstring>
#include <vector>

#include "ByteReader.h"
#include "ContentCommit.h"
#include "Id3v1Writer.h"
#include "Image.h"
#include "IoError.h"
#include "RiffWriter.h"

namespace vomtrail {
namespace {

constexpr std::int64_t kLargestSize = 0x7FFFFFFF;  // sizes are signed 32-bit

// Which (FileKind, mode) pairs build a file: the MP3 and RMP3 modes for each
// of the three kinds, the WAVE mode for WAVE files alone.
bool Builds(std::uint8_t kind, std::uint8_t mode) {
  if (kind > VT_KIND_WAVE) return false;
  return mode == VT_MODE_MP3 || mode == VT_MODE_RMP3 || (mode == VT_MODE_WAVE && kind == VT_KIND_WAVE);
}

std::int32_t ReadLittleEndian32(ByteReader& reader) {
  return static_cast<std::int32_t>(reader.ReadLittleEndian32());
}

// The file's own bytes must show the container the record claims: a stale
// record must never make the module take a random word as a data size.
void ExpectRiffForm(ByteReader& reader, const char (&form)[5]) {
  if (reader.Size() < 12) Fail(Win32Error::InvalidData);
  std::uint8_t head[12];
  reader.Read(head);
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, form, 4) != 0) Fail(Win32Error::InvalidData);
}

// A record that says bare stream for a file that is a RIFF container (another
// program changed the file after the host read it) would wrap the whole
// RIFF file, head and tags, into the audio of the new one.
void ExpectNoRiffForm(ByteReader& reader) {
  if (reader.Size() < 12) return;
  std::uint8_t head[12];
  reader.Read(head);
  reader.Seek(0);
  if (std::memcmp(head, "RIFF", 4) == 0 &&
      (std::memcmp(head + 8, "RMP3", 4) == 0 || std::memcmp(head + 8, "WAVE", 4) == 0))
    Fail(Win32Error::InvalidData);
}

// Finds the WAVE data chunk by its whole id, from offset 0, and returns its
// size with the reader on the first audio byte. A 'd' takes the three bytes
// after it along, match or not, so a 'd' among them never starts a match.
// All four letters, where the reader is content with "da": what this search
// finds decides which bytes a rewrite keeps as audio, so a stray "da" in a
// format chunk or a text must not pass for the data chunk.
std::int32_t FindWaveDataSize(ByteReader& reader) {
  reader.Seek(0);
  while (reader.FindByte('d')) {
    reader.Skip(1);
    std::uint8_t rest[3];
    reader.Read(rest);  // a 'd' among the last three bytes ends here with 38
    if (std::memcmp(rest, "ata", 3) == 0) return ReadLittleEndian32(reader);
  }
  Fail(Win32Error::InvalidData);  // no data chunk
}

// A bare stream drops its last 128 bytes exactly when they are an ID3v1
// block, whatever the record says: no audio byte is cut, no second block
// stacked behind an old one.
std::int32_t BareAudioSize(ByteReader& reader) {
  const std::int64_t size = reader.Size();
  if (size < 128) return static_cast<std::int32_t>(size);
  reader.Seek(size - 128);
  std::uint8_t marker[3];
  reader.Read(marker);
  reader.Seek(0);
  return static_cast<std::int32_t>(std::memcmp(marker, "TAG", 3) == 0 ? size - 128 : size);
}

// The image as the file layer takes it: runs of new bytes and of old bytes.
std::vector<ContentRun> ContentOf(const Image& image) {
  std::vector<ContentRun> runs;
  runs.reserve(image.Runs().size());
  for (const ImageRun& run : image.Runs()) {
    ContentRun& r = runs.emplace_back();
    r.start = static_cast<std::int64_t>(run.start);
    r.length = static_cast<std::int64_t>(run.length);
    if (run.kept)
      r.from = static_cast<std::int64_t>(run.from);
    else
      r.bytes = std::as_bytes(image.Held(run));
  }
  return runs;
}

void Rewrite(File& file, TagInfo& info, std::uint8_t mode, const char* keepOldAs) {
  ByteReader source(file);
  const std::int64_t fileSize = source.Size();
  if (fileSize > kLargestSize) Fail(Win32Error::FileTooLarge);

  std::int32_t dataSize = 0;
  switch (info.FileKind) {
    case VT_KIND_MPEG:
      ExpectNoRiffForm(source);
      dataSize = BareAudioSize(source);
      break;
    case VT_KIND_RMP3:
      ExpectRiffForm(source, "RMP3");
      source.Seek(16);  // the data chunk's size; its id at 12 is not needed
      dataSize = ReadLittleEndian32(source);
      break;
    default:
      ExpectRiffForm(source, "WAVE");
      dataSize = FindWaveDataSize(source);
      break;
  }
  if (dataSize < 0) Fail(Win32Error::InvalidData);
  const std::int64_t audioStart = source.Position();
  // The audio the data size promises must be in the file; checked before a
  // byte of memory is taken for it.
  if (audioStart + dataSize > fileSize) Fail(Win32Error::HandleEof);

  // The audio goes into the image as old bytes: at its own offsets for a
  // bare stream in mode 0, an RMP3 file in mode 1 and a WAVE file in mode 2,
  // at others in the conversions.
  Image image;
  if (mode == VT_MODE_MP3) {
    CarryOver(source, image, static_cast<std::size_t>(dataSize));
    WriteId3v1Block(image, info);
  } else {
    WriteRiffImage(source, image, info, dataSize, mode == VT_MODE_WAVE);
    WriteId3v1Block(image, info);
  }
  // Sizes are signed 32-bit: a longer file could not be read again.
  if (image.Length() > static_cast<std::size_t>(kLargestSize)) Fail(Win32Error::FileTooLarge);
  CommitContent(file, ContentOf(image), keepOldAs);
}

}  // namespace

std::uint32_t SetFileInfo(FileSystem& files, const char* path, TagInfo& info, std::uint8_t mode,
                          const char* keepOldAs) {
  if (!Builds(info.FileKind, mode)) return static_cast<std::uint32_t>(Win32Error::NotSupported);
  try {
    std::unique_ptr<File> file = files.Open(path, OpenMode::ReadWriteExclusive);
    Rewrite(*file, info, mode, keepOldAs);
    file->Close();
    return 0;
  } catch (...) {
    return CurrentFailureCode();
  }
}

}  // namespace vomtrail
