#include "ScratchFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vomtrail::e2e {

namespace fs = std::filesystem;

namespace {

// "<suite>.<test>" with the characters a parameterised name brings ('/')
// made safe for a file name.
std::string TestStem() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string stem =
      test == nullptr ? "outside-test" : std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : stem) {
    if (c == '/') c = '_';
  }
  return stem;
}

fs::path ScratchDir() {
  const fs::path dir = VT_E2E_SCRATCH;
  fs::create_directories(dir);
  return dir;
}

}  // namespace

std::string FixturePath(const std::string& name) { return (fs::path(VT_E2E_FIXTURES) / name).string(); }

std::string ScratchCopy(const std::string& fixture, const std::string& tag) {
  const fs::path from = FixturePath(fixture);
  const fs::path to = ScratchDir() / (TestStem() + "." + tag + from.extension().string());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  return to.string();
}

std::string ScratchPath(const std::string& tag) { return (ScratchDir() / (TestStem() + "." + tag)).string(); }

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::int64_t FileSize(const std::string& path) { return static_cast<std::int64_t>(fs::file_size(path)); }

Bytes Slice(const Bytes& data, std::size_t from, std::size_t count) {
  if (from > data.size() || count > data.size() - from) {
    ADD_FAILURE() << "slice [" << from << ", " << from + count << ") beyond " << data.size() << " bytes";
    return {};
  }
  const auto begin = data.begin() + static_cast<std::ptrdiff_t>(from);
  return Bytes(begin, begin + static_cast<std::ptrdiff_t>(count));
}

}  // namespace vomtrail::e2e
