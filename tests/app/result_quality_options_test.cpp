// The options that trade the method's defaults for results closer to real
// complexes: the size cap and the filters run again on the refined complexes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::RunResult;
using testutil::TempDir;

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";

struct DemoRun {
  RunResult result;
  std::map<std::string, std::string> files;
};

DemoRun runOn(const std::string& prefix, const std::vector<std::string>& options) {
  TempDir dir;
  std::vector<std::string> args{"3", prefix, "out"};
  args.insert(args.end(), options.begin(), options.end());
  DemoRun r{testutil::runTrellis(args, dir.path()), {}};
  r.result.output = testutil::normalizeConsole(testutil::withoutCommandLine(r.result.output));
  r.files = testutil::treeOf(dir.file("out"));
  return r;
}

DemoRun runDemo(const std::vector<std::string>& options) { return runOn(DEMO, options); }

// Aligned nodes, score and distinct proteins of every complex, by alignment file.
struct Found {
  size_t alignedNodes;
  double score;
  std::set<std::string> proteins;
};
std::map<std::string, Found> complexesOf(const DemoRun& run) {
  std::map<std::string, Found> out;
  for (const auto& file : run.files) {
    if (file.first.compare(0, 11, "alignments/") != 0) continue;
    std::istringstream in(file.second);
    std::string line;
    std::getline(in, line);
    Found f{0, std::stod(line.substr(9)), {}};
    for (; std::getline(in, line); ++f.alignedNodes) {
      std::istringstream names(line);
      for (std::string name; std::getline(names, name, ',');) f.proteins.insert(name);
    }
    out[file.first] = f;
  }
  return out;
}

double overlap(const Found& a, const Found& b) {
  size_t shared = 0;
  for (const std::string& p : a.proteins) shared += b.proteins.count(p);
  return static_cast<double>(shared) / static_cast<double>(std::min(a.proteins.size(), b.proteins.size()));
}

TEST(SizeCapTest, TheDefaultCapChangesNothingAndASmallerOneHolds) {
  const DemoRun plain = runDemo({});
  DemoRun fifteen = runDemo({"--max-size", "15"});
  ASSERT_EQ(plain.result.status, 0) << plain.result.output;
  EXPECT_EQ(fifteen.result.output, plain.result.output);
  EXPECT_EQ(fifteen.files.erase("report.html"), 1u);  // lists the option as typed
  EXPECT_EQ(plain.files.size(), fifteen.files.size() + 1);
  for (const auto& file : fifteen.files) EXPECT_EQ(plain.files.at(file.first), file.second) << file.first;

  const DemoRun six = runDemo({"--max-size", "6", "--pval-filter", "1"});
  ASSERT_EQ(six.result.status, 0) << six.result.output;
  size_t atCap = 0;
  for (const auto& c : complexesOf(six)) {
    EXPECT_LE(c.second.alignedNodes, 6u) << c.first;
    atCap += c.second.alignedNodes == 6;
  }
  EXPECT_GT(atCap, 0u) << "the demo's complexes grow past 6 aligned nodes";
}

TEST(SizeCapTest, OutOfRangeValuesAreRefused) {
  for (const char* bad : {"3", "101", "x", "-5"}) {
    const DemoRun r = runDemo({"--max-size", bad});
    EXPECT_EQ(r.result.status, 255) << bad;
    EXPECT_NE(r.result.output.find(std::string("ERROR: Illegal value for option '--max-size' (") + bad + ")"),
              std::string::npos)
        << r.result.output;
  }
  const DemoRun r = runDemo({"--final-noise-filter", "1"});
  EXPECT_EQ(r.result.status, 255);
  EXPECT_NE(r.result.output.find("ERROR: '--final-noise-filter 1' needs '--pval-filter'"), std::string::npos);
}

// With both filters after refinement the final complexes stand above their
// size's random threshold and overlap no better one beyond the limit; the
// method's files of the complexes kept are those of the run without them.
// Generated planted complexes with extra similarity links re-grow into
// overlapping ones.
TEST(RefinedFiltersTest, FinalComplexesHoldTheStatedLimits) {
  TempDir data;
  const std::string prefix = data.file("dense");
  ASSERT_EQ(testutil::runSynth({"--proteins", "150", "--complexes", "6", "--dense", "2", "--out", prefix}), 0);
  const DemoRun plain = runOn(prefix, {"--pval-filter", "1"});
  const DemoRun filtered =
      runOn(prefix, {"--pval-filter", "1", "--final-overlap-filter", "1", "--final-noise-filter", "1"});
  ASSERT_EQ(filtered.result.status, 0) << filtered.result.output;
  EXPECT_NE(filtered.result.output.find("Filtering refined complexes...\nStatistics of the refined complexes\n"),
            std::string::npos);
  const std::map<std::string, Found> before = complexesOf(plain), after = complexesOf(filtered);
  ASSERT_LT(after.size(), before.size()) << "the refined complexes overlap";
  for (const auto& a : after) {
    ASSERT_TRUE(before.count(a.first)) << a.first;
    EXPECT_EQ(filtered.files.at(a.first), plain.files.at(a.first));
    for (const auto& b : after) {
      if (a.first < b.first) {
        EXPECT_LE(overlap(a.second, b.second), 0.5) << a.first << " " << b.first;
      }
    }
  }
  // The thresholds per size, as the console prints them: "<size># Count: ... Top 5%: <t>}".
  std::map<size_t, double> threshold;
  std::istringstream console(filtered.result.output);
  for (std::string line; std::getline(console, line);) {
    unsigned size = 0;
    double top = 0;
    if (std::sscanf(line.c_str(), "%u# Count: %*u Score {Best: %*f Worst: %*f Avg: %*f, Top 5%%: %lf}", &size,
                    &top) == 2)
      threshold[size] = top;
  }
  for (const auto& a : after) {
    auto t = threshold.upper_bound(a.second.alignedNodes);  // sizes without samples take the smaller one's
    if (t == threshold.begin()) continue;
    EXPECT_GE(a.second.score + 0.05, std::prev(t)->second) << a.first;
  }
}

// -DUP: 15 lets no span take a protein of the complex, yet a new aligned node
// may start at one (the method's rule); --strict-reuse closes that door.
TEST(RefinedFiltersTest, StrictReuseRepeatsNoProtein) {
  TempDir data;
  const std::string prefix = data.file("dense");
  ASSERT_EQ(testutil::runSynth({"--proteins", "150", "--complexes", "6", "--dense", "2", "--out", prefix}), 0);
  const auto repeating = [](const DemoRun& run) {
    size_t count = 0;
    for (const auto& file : run.files) {
      if (file.first.compare(0, 11, "alignments/") != 0) continue;
      std::istringstream in(file.second);
      std::string line;
      std::getline(in, line);
      size_t names = 0;
      std::set<std::string> distinct;
      while (std::getline(in, line)) {
        std::istringstream fields(line);
        for (std::string name; std::getline(fields, name, ','); ++names) distinct.insert(name);
      }
      count += distinct.size() != names;
    }
    return count;
  };
  const DemoRun method = runOn(prefix, {"-DUP:", "15"});
  const DemoRun strict = runOn(prefix, {"-DUP:", "15", "--strict-reuse", "1"});
  ASSERT_EQ(strict.result.status, 0) << strict.result.output;
  EXPECT_GT(repeating(method), 0u) << "the generated set makes complexes reuse their proteins";
  EXPECT_EQ(repeating(strict), 0u);
  EXPECT_EQ(complexesOf(strict).empty(), false);
}

}  // namespace
