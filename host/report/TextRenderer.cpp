#include "report/TextRenderer.h"

#include "report/OutputEscape.h"

namespace vthost {
namespace {

// Labels up to this long line their texts up in one column.
constexpr std::size_t kLabelColumn = 11;

void RenderLines(const std::vector<Field>& fields, std::string& out) {
  for (const Field& field : fields) {
    if (!field.label.empty()) {
      const std::size_t pad = field.label.size() < kLabelColumn ? kLabelColumn - field.label.size() : 1;
      out += "  " + EscapeControls(field.label) + std::string(pad, ' ') + EscapeControls(field.text) + '\n';
    }
    RenderLines(field.members, out);
  }
}

}  // namespace

std::string RenderText(const Report& report) {
  std::string out = EscapeControls(report.heading) + '\n';
  RenderLines(report.fields, out);
  return out;
}

}  // namespace vthost
