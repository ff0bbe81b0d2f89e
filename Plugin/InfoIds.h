/* The RIFF INFO ids that give TagInfo.Items 0 to 16 their meaning, in item
 * order, each with the words a person knows it by. This is the one table of
 * them: the module builds its reader's and writer's id list from it, the
 * vomtrail command its options, help and report labels, and the Python
 * package's copy is checked against this file by a test.
 *
 * VT_INFO_ID_TABLE(X) expands X(item, id, description) once per id. The
 * writer writes sub-chunks for items 0 to 15 and ends the list with an
 * "IID3" chunk of its own, whose body is the ID3v1 block; item 16 is only
 * read.
 *
 * Plain C, installed beside TagInfo.h. */
#ifndef VOMTRAIL_PLUGIN_INFOIDS_H
#define VOMTRAIL_PLUGIN_INFOIDS_H

#define VT_INFO_ID_TABLE(X)        \
  X(0, "INAM", "title")            \
  X(1, "IART", "artist")           \
  X(2, "IPRD", "product (album)")  \
  X(3, "ICMT", "comment")          \
  X(4, "IGNR", "genre")            \
  X(5, "IMP3", "MP3 information")  \
  X(6, "ICOP", "copyright")        \
  X(7, "ICRD", "creation date")    \
  X(8, "IENG", "engineer")         \
  X(9, "ISRC", "source")           \
  X(10, "ISFT", "software")        \
  X(11, "IKEY", "keywords")        \
  X(12, "ITCH", "technician")      \
  X(13, "ILYC", "lyrics")          \
  X(14, "ICMS", "commissioned by") \
  X(15, "IMED", "medium")          \
  X(16, "IID3", "ID3v1 block")

#endif
