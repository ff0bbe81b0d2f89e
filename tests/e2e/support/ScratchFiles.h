// The encoder-made fixture files and the per-test copies the tests write
// to: every test works on its own copy, named after the test, so tests can
// run in parallel and a failed one leaves its file behind for a look.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vomtrail::e2e {

using Bytes = std::vector<std::uint8_t>;

// Absolute path of a file made by make-fixtures.sh.
std::string FixturePath(const std::string& name);

// Copies a fixture into the scratch folder as "<suite>.<test>.<tag>.<ext>"
// and returns the copy's path.
std::string ScratchCopy(const std::string& fixture, const std::string& tag = "copy");

// A path in the scratch folder for a tool's output, named like the copies.
std::string ScratchPath(const std::string& tag);

Bytes ReadFile(const std::string& path);
std::int64_t FileSize(const std::string& path);

// The bytes [from, from + count) of data; fails the test when out of range.
Bytes Slice(const Bytes& data, std::size_t from, std::size_t count);

}  // namespace vomtrail::e2e
