// A report as a person reads it: the heading, then one line per field that
// has a text form, "  label  text" with the texts aligned.
#pragma once

#include <string>

#include "report/Report.h"

namespace vthost {

std::string RenderText(const Report& report);

}  // namespace vthost
