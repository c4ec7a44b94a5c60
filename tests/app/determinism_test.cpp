// Two runs of the same input give the same files and the same report: the
// only randomness is the constant-seeded generator, and no result may depend
// on memory addresses.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::RunResult;
using testutil::TempDir;

const std::string DEMO_PREFIX = std::string(TEST_DATA_DIR) + "/../../examples/demo";

// Relative path -> contents of every regular file below root.
std::map<std::string, std::string> treeOf(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file())
      files[fs::relative(e.path(), root).string()] = testutil::readFile(e.path().string());
  }
  return files;
}

struct Outcome {
  RunResult result;
  std::map<std::string, std::string> files;
};

// Runs in a fresh directory with a relative output path, so two runs print alike.
Outcome runDemo(const std::vector<std::string>& options) {
  TempDir dir;
  std::vector<std::string> args{"3", DEMO_PREFIX, "out"};
  args.insert(args.end(), options.begin(), options.end());
  Outcome o{testutil::runTrellis(args, dir.path()), {}};
  o.result.output = testutil::normalizeConsole(o.result.output);
  o.files = treeOf(dir.file("out"));
  return o;
}

void expectRepeatable(const std::vector<std::string>& options) {
  const Outcome first = runDemo(options);
  const Outcome second = runDemo(options);
  ASSERT_EQ(first.result.status, 0) << first.result.output;
  EXPECT_EQ(second.result.status, 0);
  // The random pass and refinement ran, and there is something to compare.
  EXPECT_NE(first.result.output.find("Processing random results.."), std::string::npos);
  EXPECT_NE(first.result.output.find("Refining complexes (5 iterations/complex)"), std::string::npos);
  ASSERT_GE(first.files.size(), 4u);
  EXPECT_EQ(first.result.output, second.result.output);
  EXPECT_EQ(first.files, second.files);
}

TEST(DeterminismTest, RelaxedSpansWithRandomPassAndRefinement) {
  expectRepeatable({"--pval-filter", "on", "-R:", "5"});
}

TEST(DeterminismTest, OrientedAndPathSpans) {
  expectRepeatable({"--pval-filter", "on", "-S:", "o", "-E:", "p", "--orient:", "(1,(0),(2))"});
}

}  // namespace
