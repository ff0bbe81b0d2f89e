// The MPEG audio tables: bitrates, sample rates, samples per frame and where
// a Xing header stands. The module's reader and the vomtrail command's
// inspection of files both take them from here.
//
// The two read a frame header by different rules on purpose, and this is
// the one place that says why. The module decodes whatever four bytes it is
// given (reserved codes give 0 or fall in with a neighbour), reads every
// MPEG-2.5 layer through the MPEG-2.5 row, looks for a Xing header only at
// its fixed offset (never behind a CRC, never LAME's "Info" or a "VBRI"
// header) and counts an MPEG-2 Layer II frame as 72 bytes per bit/Hz: the
// lengths and counts its hosts have been shown rest on these rules, and the
// same file must read the same from one version to the next. The inspection
// decides whether the file is MPEG audio at all, so it refuses reserved
// codes, reads an MPEG-2.5 Layer I header through the MPEG-2 Layer I row,
// finds every frame-count header where encoders put it, behind a CRC too,
// and counts samples rather than bytes.
#pragma once

#include <array>
#include <cstdint>

namespace vomtrail {

// kbit/s by row (stream and layer) and bitrate index 0 to 14; index 0 is
// free format. Index 15 is reserved and has no column.
inline constexpr std::array<std::array<std::uint16_t, 15>, 7> kBitrateTable = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 Layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 Layer II
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 Layer III
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2.5, every layer
}};

// The rows of kBitrateTable that open each stream's block.
inline constexpr int kMpeg1BitrateRow = 0;  // + layer - 1
inline constexpr int kMpeg2BitrateRow = 3;  // + layer - 1
inline constexpr int kMpeg25BitrateRow = 6;

// Hz by row (MPEG-1, MPEG-2, MPEG-2.5) and sample-rate index 0 to 2; index 3
// is reserved.
inline constexpr std::array<std::array<std::uint16_t, 3>, 3> kSampleRateTable = {{
    {44100, 48000, 32000},
    {22050, 24000, 16000},
    {11025, 12000, 8000},
}};

// Audio samples in one frame of a layer (1, 2 or 3): MPEG-2 and MPEG-2.5
// halved the Layer III frame.
constexpr int SamplesPerFrame(bool mpeg1, int layer) {
  if (layer == 1) return 384;
  if (layer == 2 || mpeg1) return 1152;
  return 576;
}

// Bytes of side information behind the 4-byte header (and its CRC, if any):
// the Xing layout starts right behind them.
constexpr int SideInformationSize(bool mpeg1, bool mono) {
  if (mpeg1) return mono ? 17 : 32;
  return mono ? 9 : 17;
}

}  // namespace vomtrail
