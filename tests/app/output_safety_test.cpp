// Output files and the clean-up of an earlier run never reach outside the
// output directory through links, and no file is ever partly written under
// its final name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";

std::map<std::string, std::string> runDemoInto(const TempDir& dir) {
  const testutil::RunResult r = testutil::runTrellis({"3", DEMO, "out"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.output;
  return testutil::treeOf(dir.file("out"));
}

// The first complex id of a run, as its alignment file names it.
std::string firstAlignment(const std::map<std::string, std::string>& files) {
  for (const auto& f : files)
    if (f.first.compare(0, 20, "alignments/ucomplex_") == 0) return f.first;
  return "";
}

TEST(OutputSafetyTest, LinksInTheOutputDirectoryAreReplacedNeverWrittenThrough) {
  TempDir clean;
  const std::map<std::string, std::string> want = runDemoInto(clean);
  const std::string alignment = firstAlignment(want);
  ASSERT_NE(alignment, "");

  TempDir dir;
  fs::create_directories(dir.file("outside/aligned"));
  fs::create_directories(dir.file("outside/species"));
  const std::map<std::string, std::string> outsideFiles = {
      {"outside/table", "a user's table\n"},
      {"outside/alignment", "a user's alignment\n"},
      {"outside/page", "a user's page\n"},
      {"outside/aligned/ucomplex_77777.txt", "# Score: 1.0\nkept\n"},
      {"outside/species/complex_00042.txt", "# Score: 1.0\nkept\n"}};
  for (const auto& f : outsideFiles) writeFile(dir.file(f.first), f.second);
  fs::create_directories(dir.file("out"));
  fs::create_symlink(dir.file("outside/table"), dir.file("out/complexes.tsv"));
  fs::create_hard_link(dir.file("outside/page"), dir.file("out/report.html"));
  fs::create_symlink(dir.file("outside/aligned"), dir.file("out/alignments"));
  fs::create_symlink(dir.file("outside/species"), dir.file("out/species_0"));
  fs::create_directories(dir.file("out/species_1"));
  fs::create_symlink(dir.file("outside/alignment"), dir.file("out/species_1/" + alignment.substr(12)));

  EXPECT_EQ(runDemoInto(dir), want);
  for (const auto& f : outsideFiles) EXPECT_EQ(readFile(dir.file(f.first)), f.second) << f.first;
  for (const char* path : {"out/complexes.tsv", "out/alignments", "out/species_0"})
    EXPECT_FALSE(fs::is_symlink(dir.file(path))) << path;
}

// A file-size limit makes writes fail midway: every file under its final name
// is whole, the failures are reported, and no temporary file is left.
TEST(OutputSafetyTest, AWriteThatFailsMidwayLeavesNoPartialFile) {
  TempDir clean;
  const std::map<std::string, std::string> want = runDemoInto(clean);
  TempDir dir;
  fs::create_directories(dir.file("out"));
  writeFile(dir.file("out/report.html"), "the report of an earlier run\n");
  // Blocks of 512 bytes: the per-complex files fit, the summary files do not.
  const testutil::RunResult r =
      testutil::runTrellisUnder("trap '' XFSZ; ulimit -f 8", {"3", DEMO, "out"}, dir.path());
  EXPECT_EQ(r.status, 252) << r.output;
  EXPECT_NE(r.output.find("ERROR: Can't create file: out/report.html\n"), std::string::npos) << r.output;
  const std::map<std::string, std::string> got = testutil::treeOf(dir.file("out"));
  size_t whole = 0;
  for (const auto& f : got) {
    if (f.first == "report.html") {
      EXPECT_EQ(f.second, "the report of an earlier run\n");
      continue;
    }
    ASSERT_TRUE(want.count(f.first)) << "left behind: " << f.first;
    EXPECT_EQ(f.second, want.at(f.first)) << f.first;
    ++whole;
  }
  EXPECT_GT(whole, 10u);
  EXPECT_LT(whole, want.size());
}

}  // namespace
