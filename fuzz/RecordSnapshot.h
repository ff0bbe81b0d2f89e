// A byte copy of a TagInfo taken before a call, to tell afterwards which
// bytes the module changed. The host owns the whole record; the module may
// write only inside the fields, never in the alignment gaps nor behind
// HasTag (offset 5932), because hosts built elsewhere may keep data there.
#pragma once

#include <array>
#include <cstddef>

#include "TagInfo.h"

namespace vomtrail::fuzzing {

class RecordSnapshot {
 public:
  explicit RecordSnapshot(const TagInfo& info);

  const TagInfo& Before() const { return before_; }

  // The gaps (18-19, 5917-5919, 5926-5927) and the tail (5933 on) as they were.
  bool KeptHostBytes(const TagInfo& after) const;
  bool Unchanged(const TagInfo& after) const;
  // Unchanged but for the counted text "Vom Trail!" at the start of item 10,
  // which a RIFF write puts into the host's record.
  bool UnchangedButSoftwareName(const TagInfo& after) const;

 private:
  TagInfo before_;
};

}  // namespace vomtrail::fuzzing
