// What an ID3v2 tag says, read from its bytes: the texts players show, the
// pictures, and every frame left unread with the reason.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Bytes.h"
#include "Genre.h"
#include "Id3v2Layout.h"
#include "ImageSize.h"

namespace vtinspect {

using TextList = std::vector<std::string>;  // UTF-8; 2.4 frames may hold several values

// A "3/12" position (TRCK, TPOS): the text as written, and its two numbers
// where they are numbers.
struct Position {
  std::string text;
  std::optional<int> number;
  std::optional<int> total;
};

struct Comment {
  std::string language;  // three letters, as written
  std::string description;
  TextList text;
};

struct UserText {  // TXXX
  std::string description;
  TextList values;
};

struct Picture {
  int type = 0;      // 3 is the front cover
  std::string mime;  // in 2.2 the three-letter image format, e.g. "JPG"
  std::string description;
  std::size_t data_size = 0;
  std::optional<ImageSize> size;  // from the image's own header (PNG, JPEG, GIF)
};

struct FrameNote {
  std::string id;        // as written: 2.2 ids have three letters
  std::string meaning;   // a 2.2 frame's 2.3/2.4 id, when it has one
  std::size_t size = 0;  // the frame's data size as its header gives it
  FrameIssue issue = FrameIssue::kNotRead;
  std::string detail;  // for a damaged frame: what is wrong
};

enum class Id3v2Status {
  kRead,            // the fields below hold what was read
  kNoTag,           // no ID3v2 header here
  kUnknownVersion,  // a header of a later version: only its size is known
};

struct Id3v2Tag {
  Id3v2Status status = Id3v2Status::kNoTag;
  Id3v2Header header;
  std::size_t total_size = 0;      // header, body and footer: the next tag or the audio starts behind it
  bool truncated = false;          // the bytes given end inside the tag; read as far as they go
  bool plain_frame_sizes = false;  // a 2.4 tag with 2.3-style frame sizes
  std::size_t frame_count = 0;
  std::size_t padding = 0;

  TextList title, artist, album, album_artist;
  std::string date;  // TDRC as written, or TYER with TDAT as YYYY-MM-DD
  Position track, disc;
  TextList genre_text;  // TCON's values as written
  std::vector<GenreEntry> genres;
  std::vector<Comment> comments;  // those without a description first
  std::vector<UserText> user_texts;
  std::vector<Picture> pictures;
  std::vector<FrameNote> unread;  // frames not read, compressed, encrypted or damaged: the first 1024
  std::size_t unlisted = 0;       // and how many more there are

  // The reader keeps 4096 values (texts, comments, user texts, pictures);
  // frames beyond that are listed as not read.
};

// Reads the tag that starts at `offset` in `bytes` (usually the head of a
// file, or the bytes behind a first tag). Damage is reported in the result,
// never thrown; nothing outside `bytes` is read.
Id3v2Tag ReadId3v2(Bytes bytes, std::size_t offset = 0);

// Reads the tags standing one behind another from the start of `bytes`.
std::vector<Id3v2Tag> ReadId3v2Stack(Bytes bytes);

}  // namespace vtinspect
