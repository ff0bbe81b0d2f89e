/* The record shared with the host application, byte for byte.
 *
 * The host allocates TagInfo (at least 5933 bytes) and owns every byte of it;
 * the module writes only the fields its work reaches and never touches the
 * alignment gaps or anything past HasTag. Programs built elsewhere, by other
 * compilers, share this layout, so nothing here may be reordered, packed or
 * widened. The offset checks at the end hold for every compiler that builds
 * the module, the 32-bit Windows one included.
 *
 * Plain C, so that hosts written in C can include it too. */
#ifndef VOMTRAIL_PLUGIN_TAGINFO_H
#define VOMTRAIL_PLUGIN_TAGINFO_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A counted text: Length (0 to 255) then that many bytes in the host's ANSI
 * code page. Bytes after Length are undefined. No terminator. */
typedef struct Str255 {
  uint8_t Length;
  uint8_t Text[255];
} Str255;

/* Number of texts in TagInfo.Items. */
#define VT_ITEM_COUNT 23
/* Items 0 to 16 hold RIFF INFO texts, one per id of the id table. */
#define VT_INFO_ITEM_COUNT 17

/* Items named by their use: the software name and the ID3v1 block among the
 * INFO items (InfoIds.h has all seventeen ids), then the ID3v1 texts, items
 * 17 to 22. */
enum {
  VT_ITEM_ISFT = 10, /* the software name, "Vom Trail!" after a RIFF write */
  VT_ITEM_IID3 = 16,
  VT_ITEM_TITLE = 17,
  VT_ITEM_ARTIST = 18,
  VT_ITEM_ALBUM = 19,
  VT_ITEM_YEAR = 20,
  VT_ITEM_COMMENT = 21,
  VT_ITEM_GENRE = 22 /* one byte: the ID3v1 genre number */
};

/* FileKind values. */
enum { VT_KIND_MPEG = 0, VT_KIND_RMP3 = 1, VT_KIND_WAVE = 2 };

/* SetInfo's write modes. Each writes the container of the FileKind with the
 * same number, which is how a file keeps its form: mode = FileKind. */
enum { VT_MODE_MP3 = 0, VT_MODE_RMP3 = 1, VT_MODE_WAVE = 2 };

/* TagKind values. */
enum { VT_TAG_ID3V10 = 0, VT_TAG_ID3V11 = 1, VT_TAG_ID3V2 = 2 };

typedef struct TagInfo {
  uint8_t MpegFamily;  /* 1 = MPEG-1 or MPEG-2, 2 = MPEG-2.5 */
  uint8_t MpegVersion; /* 1 = MPEG-1, 2 = MPEG-2 or MPEG-2.5 */
  uint8_t Layer;       /* 1, 2, 3; 0 for the reserved layer code */
  uint8_t Protected;   /* 1 when a CRC follows the header */
  int32_t Bitrate;     /* bit/s; 0 for free format and reserved codes */
  int32_t SampleRate;  /* Hz; 0 for the reserved code */
  uint8_t Padding;
  uint8_t PrivateBit;
  uint8_t ChannelMode; /* channel mode in bits 3-2, mode extension in 1-0 */
  uint8_t Copyright;
  uint8_t Original;
  uint8_t Emphasis;
  /* 2-byte gap at 18 */
  int32_t Duration;   /* play time in whole seconds */
  int32_t FrameCount; /* audio frames */
  uint8_t FileKind;   /* VT_KIND_* */
  Str255 Items[VT_ITEM_COUNT];
  /* 3-byte gap at 5917 */
  int32_t Track;   /* ID3v1.1 track number */
  uint8_t TagKind; /* VT_TAG_* */
  uint8_t Vbr;     /* 1 when the first frame carries a Xing header */
  /* 2-byte gap at 5926 */
  int32_t FileSize;
  uint8_t HasTag; /* 1 when an ID3v1 block was found */
} TagInfo;

/* The last byte of the record the module may read or write. */
#define VT_TAGINFO_LAST_OFFSET 5932

#if defined(__cplusplus)
#define VT_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define VT_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif

VT_STATIC_ASSERT(sizeof(Str255) == 256, "Str255 is 256 bytes");
VT_STATIC_ASSERT(offsetof(TagInfo, MpegFamily) == 0, "MpegFamily");
VT_STATIC_ASSERT(offsetof(TagInfo, MpegVersion) == 1, "MpegVersion");
VT_STATIC_ASSERT(offsetof(TagInfo, Layer) == 2, "Layer");
VT_STATIC_ASSERT(offsetof(TagInfo, Protected) == 3, "Protected");
VT_STATIC_ASSERT(offsetof(TagInfo, Bitrate) == 4, "Bitrate");
VT_STATIC_ASSERT(offsetof(TagInfo, SampleRate) == 8, "SampleRate");
VT_STATIC_ASSERT(offsetof(TagInfo, Padding) == 12, "Padding");
VT_STATIC_ASSERT(offsetof(TagInfo, PrivateBit) == 13, "PrivateBit");
VT_STATIC_ASSERT(offsetof(TagInfo, ChannelMode) == 14, "ChannelMode");
VT_STATIC_ASSERT(offsetof(TagInfo, Copyright) == 15, "Copyright");
VT_STATIC_ASSERT(offsetof(TagInfo, Original) == 16, "Original");
VT_STATIC_ASSERT(offsetof(TagInfo, Emphasis) == 17, "Emphasis");
VT_STATIC_ASSERT(offsetof(TagInfo, Duration) == 20, "Duration");
VT_STATIC_ASSERT(offsetof(TagInfo, FrameCount) == 24, "FrameCount");
VT_STATIC_ASSERT(offsetof(TagInfo, FileKind) == 28, "FileKind");
VT_STATIC_ASSERT(offsetof(TagInfo, Items) == 29, "Items");
VT_STATIC_ASSERT(offsetof(TagInfo, Items) + 16 * 256 == 4125, "item 16");
VT_STATIC_ASSERT(offsetof(TagInfo, Items) + 22 * 256 == 5661, "item 22");
VT_STATIC_ASSERT(offsetof(TagInfo, Track) == 5920, "Track");
VT_STATIC_ASSERT(offsetof(TagInfo, TagKind) == 5924, "TagKind");
VT_STATIC_ASSERT(offsetof(TagInfo, Vbr) == 5925, "Vbr");
VT_STATIC_ASSERT(offsetof(TagInfo, FileSize) == 5928, "FileSize");
VT_STATIC_ASSERT(offsetof(TagInfo, HasTag) == VT_TAGINFO_LAST_OFFSET, "HasTag");
VT_STATIC_ASSERT(sizeof(TagInfo) == 5936, "record size with tail padding");

#undef VT_STATIC_ASSERT

#ifdef __cplusplus
}
#endif

#endif
