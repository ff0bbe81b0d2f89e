// The reading driver: probe the container, find and decode the first frame
// header, look for a Xing header, read the tags, and work out the length.
#include "GetInfo.h"

#include <cstring>

#include "ByteReader.h"
#include "FrameHeader.h"
#include "IoError.h"
#include "StreamLength.h"
#include "TagReader.h"

namespace vomtrail {
namespace {

// Leaves the reader just behind the first 0xFF at or after its position. The
// byte after it is taken as header byte 1 without checking the sync bits.
void ScanToSync(ByteReader& reader) {
  if (!reader.FindByte(0xFF)) Fail(Win32Error::HandleEof);
  reader.Skip(1);
}

// The data chunk of a WAVE file, found by its first two letters: read until a
// 'd', then one more byte; if that is not 'a' the search goes on behind it,
// so the byte that failed to be 'a' never starts a match of its own. The
// looser match is the reader's of old, and what it finds is only shown;
// the writer, which decides which bytes a rewrite keeps, matches all four
// letters of "data".
void FindWaveData(ByteReader& reader) {
  for (;;) {
    if (!reader.FindByte('d')) Fail(Win32Error::HandleEof);
    reader.Skip(1);
    if (reader.ReadByte() == 'a') return;
  }
}

// Finds the first frame per container and returns the audio byte count the
// container declares (0 when it declares none).
std::int32_t ProbeContainer(ByteReader& reader, const std::uint8_t (&probe)[4], TagInfo& info) {
  std::int32_t audioBytes = 0;
  if (std::memcmp(probe, "RIFF", 4) == 0) {
    reader.Seek(8);  // the RIFF size is not needed
    std::uint8_t form[4];
    reader.Read(form);
    if (std::memcmp(form, "RMP3", 4) == 0) {
      info.FileKind = VT_KIND_RMP3;
      // The "data" chunk's size; the chunk starts at 12 in the files this
      // module writes, and its id is not checked.
      reader.Seek(16);
      audioBytes = static_cast<std::int32_t>(reader.ReadLittleEndian32());
    } else if (std::memcmp(form, "WAVE", 4) == 0) {
      info.FileKind = VT_KIND_WAVE;
      FindWaveData(reader);
      reader.Skip(2);  // "ta"
      audioBytes = static_cast<std::int32_t>(reader.ReadLittleEndian32());
    }
    ScanToSync(reader);
  } else if (std::memcmp(probe, "ID3", 3) == 0) {
    info.TagKind = VT_TAG_ID3V2;
    reader.Seek(6);
    std::uint8_t size[4];
    reader.Read(size);
    reader.Seek(SynchsafeSize(size));
    ScanToSync(reader);
  } else {
    // A bare stream: the frame is taken to start at 0, sync byte unchecked.
    reader.Seek(1);
  }
  return audioBytes;
}

void ReadFromOpenFile(File& file, TagInfo& info) {
  ByteReader reader(file);
  info.Vbr = 0;
  std::uint8_t probe[4];
  reader.Read(probe);
  info.FileKind = VT_KIND_MPEG;
  // Sizes are signed 32-bit in the record; a larger file would wrap.
  if (reader.Size() > 0x7FFFFFFF) Fail(Win32Error::FileTooLarge);
  const auto fileSize = static_cast<std::int32_t>(reader.Size());
  info.FileSize = fileSize;

  std::int32_t audioBytes = ProbeContainer(reader, probe, info);

  DecodeHeaderByte1(reader.ReadByte(), info);
  DecodeHeaderByte2(reader.ReadByte(), info);
  DecodeHeaderByte3(reader.ReadByte(), info);
  ReadXingHeader(reader, info);

  bool foundIid3 = false;
  if (info.FileKind != VT_KIND_MPEG) foundIid3 = ReadRiffTags(reader, audioBytes, info);
  if (info.FileKind == VT_KIND_MPEG || !foundIid3) audioBytes = ReadId3v1Trailer(reader, info);

  if (info.Vbr == 0) ConstantRateLength(info, audioBytes, fileSize);
}

}  // namespace

void GetFileInfo(FileSystem& files, const char* path, TagInfo& info) {
  std::unique_ptr<File> file = files.Open(path, OpenMode::ReadShared);
  try {
    ReadFromOpenFile(*file, info);
  } catch (...) {
    file.reset();  // closed before the failure leaves
    throw;
  }
  file->Close();
}

}  // namespace vomtrail
