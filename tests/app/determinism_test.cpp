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
using testutil::treeOf;
using testutil::withoutCommandLine;

const std::string DEMO_PREFIX = std::string(TEST_DATA_DIR) + "/../../examples/demo";

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

// Any number of threads gives the console and the files of one thread: each
// seed, growth and refinement is a pure function of its input, and results
// are taken in order; random passes are shuffled in turn.
TEST(DeterminismTest, SameResultsOnAnyNumberOfThreads) {
  const std::vector<std::vector<std::string>> shapes = {
      {"--pval-filter", "on", "--random-passes", "3"},
      {"--pval-filter", "on", "-S:", "o", "-E:", "o", "--orient:", "(0,(2,(1)))", "-R:", "3"},
      {"-S:", "t", "-E:", "p", "-D:", "1"}};
  for (const std::vector<std::string>& shape : shapes) {
    std::vector<std::string> options = shape;
    options.insert(options.end(), {"--threads:", "1"});
    const Outcome one = runDemo(options);
    ASSERT_EQ(one.result.status, 0) << one.result.output;
    ASSERT_GE(one.files.size(), 4u);
    for (const char* threads : {"2", "3", "8"}) {
      options.back() = threads;
      const Outcome many = runDemo(options);
      EXPECT_EQ(many.result.status, 0);
      EXPECT_EQ(withoutCommandLine(many.result.output), withoutCommandLine(one.result.output))
          << threads << " threads, " << shape.size() << " options";
      EXPECT_EQ(many.files, one.files) << threads << " threads";
    }
  }
}

}  // namespace
