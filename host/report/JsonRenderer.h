// A report as a script reads it: one JSON object on one line, members in
// name order. Texts that are not UTF-8 have their bad bytes replaced.
#pragma once

#include <string>

#include "report/Report.h"

namespace vthost {

std::string RenderJson(const Report& report);

}  // namespace vthost
