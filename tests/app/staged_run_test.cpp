// Split runs against whole runs: the finish stage must print the whole run's
// console and write its files, for every split, span shape and random pass;
// shards that do not belong are refused before anything is written. Also the
// output directory's hygiene: an earlier run's stale complexes go.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::RunResult;
using testutil::TempDir;

// Relative path -> content of every regular file below root, shards aside.
std::map<std::string, std::string> treeOf(const std::string& root) { return testutil::treeOf(root, {"shards/"}); }

// The console without what differs between a whole run and a finish stage.
std::string masked(const std::string& console) {
  std::string out;
  size_t start = 0;
  const std::string text = testutil::normalizeConsole(console);
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    const std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
    if (line.compare(0, 9, "Cmd line:") != 0) out += line;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}

std::vector<std::string> argsOf(const std::string& species, const std::string& in, const std::string& out,
                                const std::vector<std::string>& options,
                                const std::vector<std::string>& more = {}) {
  std::vector<std::string> args{species, in, out};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

RunResult runStages(const TempDir& dir, const std::string& species, const std::vector<std::string>& options,
                    uint shards, const std::string& out) {
  for (const char* stage : {"seeds", "grow", "refine"}) {
    for (uint i = 1; i <= shards; ++i) {
      const std::string shard = std::to_string(i) + "/" + std::to_string(shards);
      const RunResult r = testutil::runTrellis(
          argsOf(species, "in", out, options, {"--stage", stage, "--shard", shard}), dir.path());
      EXPECT_EQ(r.status, 0) << stage << " " << shard << "\n" << r.output;
      EXPECT_NE(r.output.find(std::string("trellis2 stage ") + stage + ", shard " + shard),
                std::string::npos);
    }
  }
  return testutil::runTrellis(argsOf(species, "in", out, options, {"--stage", "finish"}), dir.path());
}

struct Case {
  const char* species;
  std::vector<std::string> synth;
  std::vector<std::string> options;
  std::vector<uint> splits;  // more shards than items leave blocks empty
};

TEST(StagedRunTest, SameConsoleAndFilesAsAWholeRun) {
  const std::vector<Case> cases = {
      {"3",
       {"--species", "3", "--proteins", "150", "--seed", "5"},
       {"--pval-filter", "1", "-R:", "2"},
       {1, 3, 25}},
      {"4",
       {"--species", "4", "--proteins", "120", "--dense", "1", "--seed", "6"},
       {"-S:", "o", "-E:", "o", "--orient:", "(0,(2),(1,(3)))", "--pval-filter", "1", "--random-passes", "2"},
       {2, 7}},
      {"3",
       {"--species", "3", "--proteins", "80", "--complexes", "3", "--seed", "7"},
       {"-S:", "p", "-E:", "p", "-D:", "1"},
       {3}},
      // More shards than anchor proteins.
      {"2", {"--species", "2", "--proteins", "20", "--complexes", "1", "--seed", "8"}, {}, {45}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::vector<std::string> synth = c.synth;
    synth.insert(synth.end(), {"--out", dir.file("in")});
    ASSERT_EQ(testutil::runSynth(synth), 0);
    const RunResult whole = testutil::runTrellis(argsOf(c.species, "in", "out", c.options), dir.path());
    ASSERT_EQ(whole.status, 0) << whole.output;
    const auto wholeFiles = treeOf(dir.file("out"));
    fs::rename(dir.file("out"), dir.file("whole"));
    for (uint shards : c.splits) {
      const RunResult finish = runStages(dir, c.species, c.options, shards, "out");
      EXPECT_EQ(finish.status, 0) << finish.output;
      EXPECT_EQ(masked(finish.output), masked(whole.output)) << shards << " shards, case " << c.options[0];
      EXPECT_EQ(treeOf(dir.file("out")), wholeFiles) << shards << " shards";
      fs::remove_all(dir.file("out"));
    }
  }
}

class StagedRefusalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(testutil::runSynth({"--species", "3", "--proteins", "120", "--out", dir.file("in")}), 0);
    const RunResult r = runStages(dir, "3", options, 2, "out");
    ASSERT_EQ(r.status, 0) << r.output;
    before = treeOf(dir.file("out"));
  }
  // The finish stage refuses with a message naming the file; the output
  // directory keeps the earlier run's files as they were.
  void expectRefused(const std::string& file, const std::string& why) {
    const RunResult r =
        testutil::runTrellis(argsOf("3", "in", "out", options, {"--stage", "finish"}), dir.path());
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.output.find("ERROR: shard file out/shards/" + file + " " + why), std::string::npos)
        << r.output;
    EXPECT_EQ(treeOf(dir.file("out")), before);
  }
  std::string shard(const std::string& name) const { return dir.file("out/shards/" + name); }

  TempDir dir;
  const std::vector<std::string> options = {"--pval-filter", "1"};
  std::map<std::string, std::string> before;
};

TEST_F(StagedRefusalTest, ShardOfAnotherRun) {
  const RunResult other = testutil::runTrellis(
      argsOf("3", "in", "other", {"--pval-filter", "1", "-R:", "3"}, {"--stage", "seeds", "--shard", "2/2"}),
      dir.path());
  ASSERT_EQ(other.status, 0);
  fs::copy_file(dir.file("other/shards/seeds-2-of-2.bin"), shard("seeds-2-of-2.bin"),
                fs::copy_options::overwrite_existing);
  expectRefused("seeds-2-of-2.bin", "comes from another run");
}

TEST_F(StagedRefusalTest, MissingShard) {
  fs::remove(shard("grow-1-of-2.bin"));
  expectRefused("grow-1-of-2.bin", "missing");
}

TEST_F(StagedRefusalTest, DuplicatedShard) {
  fs::copy_file(shard("refine-1-of-2.bin"), shard("refine-2-of-2.bin"), fs::copy_options::overwrite_existing);
  expectRefused("refine-2-of-2.bin", "holds shard 1/2, a duplicate");
}

TEST_F(StagedRefusalTest, TruncatedShard) {
  fs::resize_file(shard("grow-2-of-2.bin"), fs::file_size(shard("grow-2-of-2.bin")) - 7);
  expectRefused("grow-2-of-2.bin", "is truncated");
}

TEST_F(StagedRefusalTest, DamagedShard) {
  std::string bytes = testutil::readFile(shard("seeds-1-of-2.bin"));
  bytes[bytes.size() / 2] ^= 0x5A;
  testutil::writeFile(shard("seeds-1-of-2.bin"), bytes);
  const RunResult r = testutil::runTrellis(
      argsOf("3", "in", "out", options, {"--stage", "grow", "--shard", "1/2"}), dir.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.output.find("ERROR: shard file out/shards/seeds-1-of-2.bin is"), std::string::npos) << r.output;
}

TEST(StageOptionsTest, BlockStagesNeedTheirShard) {
  TempDir dir;
  ASSERT_EQ(
      testutil::runSynth({"--species", "2", "--proteins", "60", "--complexes", "2", "--out", dir.file("in")}),
      0);
  for (const auto& args : std::vector<std::vector<std::string>>{{"--stage", "grow"},
                                                                {"--stage", "finish", "--shard", "1/2"},
                                                                {"--stage", "seed", "--shard", "1/2"},
                                                                {"--stage", "seeds", "--shard", "3/2"},
                                                                {"--stage", "seeds", "--shard", "0/2"}}) {
    const RunResult r = testutil::runTrellis(argsOf("2", "in", "out", {}, args), dir.path());
    EXPECT_EQ(r.status, 255) << args[1];
    EXPECT_NE(r.output.find("ERROR: "), std::string::npos) << r.output;
  }
  const RunResult none =
      testutil::runTrellis(argsOf("2", "in", "out", {}, {"--stage", "finish"}), dir.path());
  EXPECT_EQ(none.status, 255);
  EXPECT_NE(none.output.find("ERROR: no "), std::string::npos) << none.output;
}

// A second run into a used directory removes the first run's complex files
// that it does not write again, says how many, and touches nothing else.
TEST(OutputDirectoryTest, RerunRemovesStaleComplexesOnly) {
  TempDir dir;
  ASSERT_EQ(
      testutil::runSynth({"--species", "3", "--proteins", "150", "--seed", "5", "--out", dir.file("in")}), 0);
  fs::create_directories(dir.file("out/species_3"));
  fs::create_directories(dir.file("out/species_4"));
  fs::create_directories(dir.file("out/alignments"));
  fs::create_directories(dir.file("out/species_0"));
  testutil::writeFile(dir.file("out/species_3/complex_00099.txt"), "stale");  // beyond 3 species
  testutil::writeFile(dir.file("out/species_4/complex_00098.txt"), "stale");
  testutil::writeFile(dir.file("out/species_4/notes.txt"), "mine");
  testutil::writeFile(dir.file("out/alignments/ucomplex_99999.txt"), "stale");
  testutil::writeFile(dir.file("out/alignments/ucomplex_7.txt"), "not a name the program writes");
  testutil::writeFile(dir.file("out/species_0/complex_00099.txt.bak"), "mine");
  const RunResult r = testutil::runTrellis({"3", "in", "out"}, dir.path());
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(
      r.output.find(
          "Done\n\n WARNING: removed 3 files of an earlier run from out\nWriting alignments to files..\n"),
      std::string::npos)
      << r.output;
  EXPECT_FALSE(fs::exists(dir.file("out/species_3")));
  EXPECT_FALSE(fs::exists(dir.file("out/species_4/complex_00098.txt")));
  EXPECT_TRUE(fs::exists(dir.file("out/species_4/notes.txt")));
  EXPECT_TRUE(fs::exists(dir.file("out/alignments/ucomplex_7.txt")));
  EXPECT_TRUE(fs::exists(dir.file("out/species_0/complex_00099.txt.bak")));
  EXPECT_FALSE(fs::exists(dir.file("out/alignments/ucomplex_99999.txt")));
  // A run with fewer complexes leaves exactly its own complex files.
  const RunResult fewer = testutil::runTrellis({"3", "in", "out", "-DUP:", "0", "-R:", "0"}, dir.path());
  ASSERT_EQ(fewer.status, 0);
  size_t alignments = 0;
  for (const auto& e : fs::directory_iterator(dir.file("out/alignments")))
    alignments += e.path().filename() != "ucomplex_7.txt";
  const std::string table = testutil::readFile(dir.file("out/complexes.tsv"));
  EXPECT_EQ(alignments + 1, static_cast<size_t>(std::count(table.begin(), table.end(), '\n')));
}

}  // namespace
