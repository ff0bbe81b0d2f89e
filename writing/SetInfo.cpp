// The writing driver. The new file is described in full first, as runs of
// new bytes and of old bytes that stay where they are; the old file changes
// only once that is done and the space for every new byte is taken on disk,
// so every failure before the first write leaves the file as it was.
#include "SetInfo.h"

#include <cstring>

#include "ByteReader.h"
#include "Id3v1Writer.h"
#include "Image.h"
#include "IoError.h"
#include "RiffWriter.h"

namespace vomtrail {
namespace {

constexpr std::int64_t kLargestSize = 0x7FFFFFFF;  // sizes are signed 32-bit

// Which (FileKind, mode) pairs build a file: mode 0 and 1 for each of the
// three kinds, mode 2 for WAVE files alone.
bool Builds(std::uint8_t kind, std::uint8_t mode) {
  if (kind > VT_KIND_WAVE) return false;
  return mode <= 1 || (mode == 2 && kind == VT_KIND_WAVE);
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

// Finds the WAVE data chunk by its whole id, from offset 0, and returns its
// size with the reader on the first audio byte. A 'd' takes the three bytes
// after it along, match or not, so a 'd' among them never starts a match.
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

// Takes the space of every new byte before the first write: a full disk
// then fails with the content untouched, and any growth is undone. Only the
// new bytes' ranges are taken, so the holes of a sparse file under audio
// that stays in place stay holes.
void ReserveNewBytes(File& file, const Image& image, std::int64_t oldLength) {
  try {
    for (const ImageRun& run : image.Runs())
      if (!run.kept)
        file.Reserve(static_cast<std::int64_t>(run.start), static_cast<std::int64_t>(run.length));
  } catch (...) {
    if (file.Size() > oldLength) {
      try {
        file.Truncate(oldLength);
      } catch (...) {
      }
    }
    throw;
  }
}

// Writes the new bytes, last run first. An image that moves the audio is one
// run, one front-to-back write, as ever. An image that keeps old bytes
// writes its tail (pad byte, LIST chunk, ID3v1 block) before its head, so a
// RIFF file's size word, the first run, is the last write: until every byte
// behind it stands, the head still describes the old file.
void WriteNewBytes(File& file, const Image& image, std::int64_t oldLength) {
  const auto runs = image.Runs();
  bool wroteAny = false;
  try {
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
      if (run->kept) continue;
      file.WriteAt(static_cast<std::int64_t>(run->start), std::as_bytes(image.Held(*run)));
      wroteAny = true;
    }
  } catch (...) {
    // Give back the reserved growth when nothing was written yet: a write
    // that failed before its first byte then leaves the file as it was.
    if (!wroteAny && file.Size() > oldLength) {
      try {
        file.Truncate(oldLength);
      } catch (...) {
      }
    }
    throw;
  }
}

void Rewrite(File& file, TagInfo& info, std::uint8_t mode) {
  ByteReader source(file);
  const std::int64_t fileSize = source.Size();
  if (fileSize > kLargestSize) Fail(Win32Error::FileTooLarge);

  std::int32_t dataSize = 0;
  switch (info.FileKind) {
    case VT_KIND_MPEG:
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

  // Audio that stays at its offsets is kept in place (CarryOver): a bare
  // stream in mode 0, an RMP3 file in mode 1, a WAVE file in mode 2. Audio
  // that moves is read into the image, whose room is taken at once.
  Image image;
  if (mode == 0) {
    if (audioStart != 0) image.Reserve(static_cast<std::size_t>(dataSize) + kId3v1BlockSize);
    CarryOver(source, image, static_cast<std::size_t>(dataSize));
    WriteId3v1Block(image, info);
  } else {
    // Head plus audio fit in 32 bits here: both lie inside a file below 2 GiB.
    const bool keepHead = mode == 2;
    const std::int64_t head = keepHead ? audioStart : 20;
    if (head != audioStart) image.Reserve(static_cast<std::size_t>(RiffImageLength(info, head, dataSize)));
    WriteRiffImage(source, image, info, dataSize, keepHead);
    WriteId3v1Block(image, info);
  }

  const auto newLength = static_cast<std::int64_t>(image.Length());
  ReserveNewBytes(file, image, fileSize);
  WriteNewBytes(file, image, fileSize);
  file.Truncate(newLength);
}

}  // namespace

std::uint32_t SetFileInfo(FileSystem& files, const char* path, TagInfo& info, std::uint8_t mode) {
  if (!Builds(info.FileKind, mode)) return static_cast<std::uint32_t>(Win32Error::NotSupported);
  try {
    std::unique_ptr<File> file = files.Open(path, OpenMode::ReadWriteExclusive);
    Rewrite(*file, info, mode);
    file->Close();
    return 0;
  } catch (...) {
    return CurrentFailureCode();
  }
}

}  // namespace vomtrail
