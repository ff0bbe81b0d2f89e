// The ID3v2 tag at the start of a bare MP3 file kept in step with the text
// options of `vomtrail set`. Players show that tag's texts before the ID3v1
// block's, so an edit of the block alone would not reach them. The tag is
// rewritten by the exact editor (tags/Id3v2Editor.h): its version, every
// other frame byte for byte and its padding stay; a tag the editor cannot
// rewrite exactly is left as it is, with the reason.
//
// The tag goes on the disk before the module writes the ID3v1 block: a tag
// that has to grow moves the audio through a new file, the one step of the
// two that can fail for want of room, and it then fails with nothing
// written. A kill between the two leaves the new tag and the old block; the
// same command run again finds the tag holding its texts already (the
// editor's rewrite of its own output is that output) and writes the block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ByteSource.h"
#include "edits/ContentPlan.h"
#include "edits/TagEdits.h"
#include "tags/Id3v2Editor.h"
#include "tags/Id3v2Tag.h"

namespace vthost {

// One text as the tag shows it before and after the edit (UTF-8; empty for
// none), for --dry-run.
struct Id3v2Change {
  std::string label;  // "title", "artist", ...
  std::string before, after;
};

struct Id3v2Sync {
  int major = 0;                           // 2, 3 or 4; 0 when the file starts with no ID3v2 tag
  std::string oldTag;                      // the tag as it stands: header, frames, padding
  std::string newTag;                      // the tag to write; empty when it is left alone
  std::string leftAlone;                   // why it is left alone; empty when it is rewritten
  std::vector<std::string> warnings;       // edits it cannot take, a second tag behind it
  std::vector<vtinspect::TextEdit> asked;  // what it is to hold, for the read-back
  std::vector<Id3v2Change> changes;        // the texts that change

  bool Writes() const { return !newTag.empty() && newTag != oldTag; }
  // The bytes the tag grows by: the editor never shrinks a tag.
  std::uint64_t Growth() const { return Writes() ? newTag.size() - oldTag.size() : 0; }
};

// The frame edits of the text options for a tag of version 2.`major`: the
// title, artist, album, comment as given; the year as the tag holds one
// (2.2 and 2.3: four digits; 2.4: a timestamp); the track with its total
// ("3/12"), track 0 removing it; the genre by its name ("(N)" or "N" for a
// number without one), genre 255 removing it. Edits the tag cannot take
// are left out and said in `warnings`.
std::vector<vtinspect::TextEdit> Id3v2EditsOf(const TagEdits& edits, int major,
                                              std::vector<std::string>& warnings);

// The tag at the start of `file` and what the edits make of it.
Id3v2Sync PlanId3v2Sync(vtinspect::ByteSource& file, const TagEdits& edits);

// What a player shows of `field` in a read tag: several values joined by
// " / ", the date, the comment in English without a description (else the
// first without one), the track as written, the genres' names.
std::string ShownId3v2Text(const vtinspect::Id3v2Tag& tag, vtinspect::TextField field);

// The texts of `tag` that do not read as `asked`, in words; empty when all do.
std::vector<std::string> Id3v2ReadBackDifferences(std::string_view tag,
                                                  const std::vector<vtinspect::TextEdit>& asked);

// The write of the new tag into a file of `fileSize` bytes. A tag of the
// same length goes in place when the bytes that change lie in one page of
// the file: the system copies a page as a whole, so a kill leaves the old
// bytes or the new ones. Where they spread over several pages (texts on
// both sides of a picture; frames, a picture with them, shifted behind a
// longer or shorter text), a torn write could leave a tag whose frames no
// rerun could walk: such a write, and a tag that grows, go through a new
// file.
struct TagWrite {
  ContentPlan plan;
  bool newFile = false;
};
TagWrite PlanTagWrite(const Id3v2Sync& sync, std::uint64_t fileSize);

// `file` as the tag's write leaves it: the new tag, then the bytes behind
// the old one.
class WithNewTag final : public vtinspect::ByteSource {
 public:
  WithNewTag(vtinspect::ByteSource& file, const Id3v2Sync& sync) : file_(file), sync_(sync) {}
  std::uint64_t Size() const override;
  std::string Read(std::uint64_t offset, std::size_t count) override;

 private:
  vtinspect::ByteSource& file_;
  const Id3v2Sync& sync_;
};

}  // namespace vthost
