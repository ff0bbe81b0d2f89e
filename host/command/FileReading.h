// One file read as `info` shows it and as the library's callers get it: the
// inspection of its bytes and the module's GetInfo, made into one report.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "FileInspection.h"
#include "report/Report.h"

namespace vthost {

struct FileReading {
  Report report;
  std::uint32_t failure = 0;  // the module's code when the file could not be read; the report says so
  std::string words;          // what went wrong, or why the module gave no record of a file shown anyway
};

// `name` is the file's name as the report shows it.
FileReading ReadFile(const std::filesystem::path& path, const std::string& name, const std::string& encoding,
                     const vtinspect::InspectOptions& options = {});

}  // namespace vthost
