// What an imported row asks of a file: the cells that differ from the file
// now, as the edits `set` makes.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "edits/TagEdits.h"
#include "table/TagTable.h"

namespace vthost {

struct RowEdits {
  EditOptions edits;
  std::optional<int> mode;  // a new form
};

// The edits for `changes` (ChangedCells of the file's row `now`), or why the
// row cannot be written (a form that is no form). A changed ID3v1 text of a
// RIFF file does not carry over into its INFO text as `set --title` does:
// only the cells that differ are written.
std::variant<RowEdits, std::string> EditsForChanges(const std::vector<CellChange>& changes,
                                                    const TableRow& now, const std::string& encoding);

}  // namespace vthost
