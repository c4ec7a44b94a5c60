// End-to-end runs of the binary against golden console and output files, and
// the pipeline's own steps: seed overlap filter, refinement and file writers.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <list>
#include <string>
#include <vector>

#include "app/pass_results.h"
#include "app/trellis2.h"
#include "complexes/complexes_crawler.h"
#include "complexes/refinement.h"
#include "network/netbuilder.h"
#include "network/network.h"
#include "network_builders.h"
#include "seeds/seed_overlap_filter.h"
#include "test_util.h"

namespace fs = std::filesystem;
using testutil::readFile;
using testutil::RunResult;
using testutil::TempDir;

namespace {

const std::string SMALL = std::string(TEST_DATA_DIR) + "/small";

// Copies the small input set into dir as "small_*".
void copySmallInput(const TempDir& dir) {
  for (const char* name : {"small_int-0.txt", "small_int-1.txt", "small_int-2.txt", "small_blast.txt"})
    fs::copy_file(SMALL + "/" + name, dir.file(name));
}

const char* const SUMMARY_FILES[] = {"complexes.tsv", "complexes.sif", "nodes.tsv", "report.html",
                                     "manifest.tsv"};

// Relative paths of all regular files below root, sorted, without the summary
// outputs and the manifest (the golden cases hold the per-complex files only).
std::vector<std::string> filesBelow(const std::string& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), root).string();
    if (std::find(std::begin(SUMMARY_FILES), std::end(SUMMARY_FILES), rel) == std::end(SUMMARY_FILES))
      files.push_back(rel);
  }
  std::sort(files.begin(), files.end());
  return files;
}

void expectMatchesGolden(const std::string& goldenCase, const std::vector<std::string>& options) {
  TempDir dir;
  copySmallInput(dir);
  std::vector<std::string> args = {"3", "small", "out"};
  args.insert(args.end(), options.begin(), options.end());
  RunResult r = testutil::runTrellis(args, dir.path());
  EXPECT_EQ(r.status, 0);
  const std::string golden = SMALL + "/golden/" + goldenCase;
  EXPECT_EQ(testutil::normalizeConsole(r.output), readFile(golden + "/console.txt"));
  const std::vector<std::string> expected = filesBelow(golden + "/out");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(filesBelow(dir.file("out")), expected);
  for (const std::string& f : expected)
    EXPECT_EQ(readFile(dir.file("out/" + f)), readFile(golden + "/out/" + f)) << f;
  for (const char* f : SUMMARY_FILES) EXPECT_TRUE(testutil::fileExists(dir.file("out/") + f)) << f;
}

TEST(PipelineGoldenTest, DefaultOptions) { expectMatchesGolden("default", {}); }

TEST(PipelineGoldenTest, RandomPassWithOrientedSpans) {
  expectMatchesGolden("pval_oriented",
                      {"--pval-filter", "1", "-R:", "3", "-S:", "o", "-E:", "o", "--orient:", "(0,(2,(1)))"});
}

TEST(PipelineGoldenTest, PathSpansWithoutRefinement) {
  expectMatchesGolden("path_d1", {"-S:", "p", "-E:", "p", "-D:", "1", "-R:", "0"});
}

TEST(PipelineRunTest, ConsoleSkipsWhatIsSwitchedOff) {
  TempDir dir;
  copySmallInput(dir);
  RunResult r = testutil::runTrellis({"3", "small", "out", "-R:", "0"}, dir.path());
  EXPECT_EQ(r.status, 0);
  // No random pass: straight from the network statistics to the real network.
  EXPECT_NE(r.output.find("Ok\n\n** Processing real biological network **\n"), std::string::npos);
  EXPECT_EQ(r.output.find("Cloning network:"), std::string::npos);
  EXPECT_EQ(r.output.find("Refining complexes"), std::string::npos);
  EXPECT_NE(r.output.find("Done, for 2 complexes\n"), std::string::npos);
}

TEST(PipelineRunTest, AbsoluteOutputDirectoryKeepsEverythingUnderIt) {
  TempDir input;
  TempDir work;
  TempDir target;
  copySmallInput(input);
  const std::string out = target.file("results");
  RunResult r = testutil::runTrellis({"3", input.file("small"), out}, work.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(filesBelow(work.path()).empty());
  for (const char* sub : {"alignments", "species_0", "species_1", "species_2"})
    EXPECT_TRUE(fs::is_directory(out + "/" + sub)) << sub;
  EXPECT_EQ(filesBelow(out), filesBelow(SMALL + "/golden/default/out"));
  EXPECT_NE(r.output.find("Reminder: outdir: " + out + "\n"), std::string::npos);
}

// Output files that cannot be written into an existing directory are each
// reported and fail the run; the others are written.
TEST(PipelineRunTest, UnwritableOutputIsReportedAndFailsTheRun) {
  TempDir dir;
  copySmallInput(dir);
  ASSERT_EQ(mkdir(dir.file("out").c_str(), 0777), 0);
  // Regular files where the alignment directory and the manifest belong.
  testutil::writeFile(dir.file("out/alignments"), "");
  ASSERT_EQ(mkdir(dir.file("out/manifest.tsv").c_str(), 0777), 0);
  RunResult r = testutil::runTrellis({"3", "small", "out"}, dir.path());
  EXPECT_EQ(r.status, 252);
  EXPECT_NE(r.output.find("ERROR: Can't create file: out/alignments//ucomplex_00005.txt\n"),
            std::string::npos);
  EXPECT_NE(r.output.find("Done\nERROR: Can't create file: out/manifest.tsv\n"), std::string::npos);
  // 2 complexes: one alignment file each, and the manifest.
  EXPECT_NE(r.output.find("ERROR: 3 output files could not be written\nReminder: outdir: out\n"
                          "\n--= FINISHED =--\n"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(testutil::fileExists(dir.file("out/species_2/complex_00009.txt")));
}

template <class T>
std::vector<const T*> pointersTo(const std::list<T>& items) {
  std::vector<const T*> out;
  for (const T& item : items) out.push_back(&item);
  return out;
}

// A complex's coins are the drand48 sequence of srand48(2345 + id), the sum
// taken modulo 2^32.
TEST(PipelineRefinementTest, EachComplexDrawsItsOwnSequence) {
  for (uint id : {0u, 1u, 77u, 4294967295u - 2345u, 4294967295u}) {
    srand48(static_cast<long>(static_cast<uint32_t>(2345u + id)));
    ComplexCoins coins(id);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(coins.next(), drand48()) << id;
  }
}

TEST(PipelineRefinementTest, RefinementKeepsIdsAndNeverLowersScores) {
  RunParams params;
  params.species_num = 3;
  Network net(3);
  std::list<Complex> found, refined;
  testutil::captureStdout([&] {
    NetworkBuiler builder(&net, params.BLAST_TRESHOLD, params.MAX_HOMOLOG_PER_NODE);
    builder.readNetwork(SMALL + "/small");
    net.finalize(params.DENSITY_BETA, params.p_true);
    PassResults computed(params);
    std::list<Seed> seeds;
    Pipeline(params, computed, stdout).searchSeeds(&net, 0, &seeds, nullptr);
    ComplexesCrawler crawler(&net, nullptr, 0, params.NODES_DUPS_THRESHOLD, 5, TREE,
                             params.ORIENTATION_TREES);
    const std::vector<const Seed*> grown = pointersTo(seeds);
    crawler.growSeeds(grown, 0, grown.size(), [&](size_t, std::unique_ptr<Complex>& c) {
      if (c) found.push_back(*c);
    });
    const std::vector<const Complex*> refinedIn = pointersTo(found);
    refineComplexes(&net, crawler, 5, refinedIn, 0, refinedIn.size(),
                    [&](size_t, Complex& c) { refined.push_back(c); });
  });
  ASSERT_EQ(refined.size(), found.size());
  ASSERT_FALSE(found.empty());
  bool improved = false;
  for (auto f = found.begin(), r = refined.begin(); f != found.end(); ++f, ++r) {
    EXPECT_EQ(r->m_id, f->m_id);
    EXPECT_GE(r->getScore(), f->getScore());
    improved = improved || r->getScore() > f->getScore();
  }
  EXPECT_TRUE(improved);
  // Each complex alone, last first, on a fresh crawler: refined exactly alike.
  ComplexesCrawler alone(&net, nullptr, 0, params.NODES_DUPS_THRESHOLD, 5, TREE, params.ORIENTATION_TREES);
  auto r = refined.rbegin();
  for (auto f = found.rbegin(); f != found.rend(); ++f, ++r) {
    const Complex single = refineComplex(&alone, &net, 5, *f);
    EXPECT_EQ(single.getScore(), r->getScore());
    EXPECT_EQ(single.paths().size(), r->paths().size());
  }
}

// A two-species network with proteins a0..a3 and b0..b3 and no edges; enough
// for hand-built seeds and complexes.
class PipelineStepsTest : public ::testing::Test {
 protected:
  PipelineStepsTest() : m_net(2) {
    for (int i = 0; i < 4; ++i) {
      m_a.push_back(m_net.createNode(("a" + std::to_string(i)).c_str(), 0));
      m_b.push_back(m_net.createNode(("b" + std::to_string(i)).c_str(), 1));
    }
  }
  // A seed holding the given proteins in its first aligned node.
  static Seed seedOf(std::vector<Node*> nodes, weight_t score) {
    Seed seed(2);
    for (Node* n : nodes) seed.m_vpaths[0].append(n);
    seed.m_score = score;
    return seed;
  }
  Network m_net;
  std::vector<Node*> m_a, m_b;
};

TEST_F(PipelineStepsTest, SeedOverlapFilterKeepsTheBestOfEachGroup) {
  // X overlaps Y and Z (ratio 2/3 each); Y and Z share nothing.
  Seed x = seedOf({m_a[0], m_a[1], m_a[2]}, 5);
  Seed y = seedOf({m_a[0], m_a[1], m_b[0]}, 4);
  Seed z = seedOf({m_a[1], m_a[2], m_b[1]}, 6);
  std::list<Seed> out = filterOverlappingSeeds({&x, &y, &z}, 0.66);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.front().getScore(), 6);

  // Equal scores: the earlier seed survives; below the threshold both stay.
  Seed first = seedOf({m_a[0], m_a[1]}, 3);
  Seed second = seedOf({m_a[0], m_a[1]}, 3);
  out = filterOverlappingSeeds({&first, &second}, 0.66);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.front().m_vpaths[0].m_nodes, first.m_vpaths[0].m_nodes);
  EXPECT_EQ(filterOverlappingSeeds({&x, &y}, 0.7).size(), 2u);
}

TEST_F(PipelineStepsTest, WritersNameFilesByIdAndReportFailures) {
  // Two interactions of weight 0.5 per species keep the model well defined;
  // a0 and a1 do not interact, so their pair scores about -0.19.
  const std::vector<std::pair<Node*, Node*>> edges = {
      {m_a[0], m_a[2]}, {m_a[1], m_a[3]}, {m_b[0], m_b[1]}, {m_b[2], m_b[3]}};
  for (const auto& e : edges) testutil::link(e.first, e.second, 0.5);
  m_net.finalize(0.8, std::vector<weight_t>(MAX_SPECIES, 2.0).data());
  Complex c7(7, &m_net);
  VPath p1, p2;
  p1.append(m_a[0]);
  p1.append(m_b[0]);
  p2.append(m_a[1]);
  p2.append(m_b[0]);
  c7.addPath(&p1);
  c7.addPath(&p2);
  Complex big(123456, &m_net);
  std::list<Complex> complexes = {c7, big};

  TempDir dir;
  EXPECT_EQ(writeAlignmentsToFiles(dir.path() + "/", complexes, stdout), 0u);
  EXPECT_EQ(writeComplexesToFiles(dir.path(), 2, complexes, stdout), 0u);
  EXPECT_EQ(filesBelow(dir.path()),
            (std::vector<std::string>{"species_0/complex_00007.txt", "species_0/complex_123456.txt",
                                      "species_1/complex_00007.txt", "species_1/complex_123456.txt",
                                      "ucomplex_00007.txt", "ucomplex_123456.txt"}));
  EXPECT_EQ(readFile(dir.file("ucomplex_00007.txt")), "# Score: -0.2\na0,b0\na1,b0\n");
  EXPECT_EQ(readFile(dir.file("species_0/complex_00007.txt")), "# Score: -0.2\na0\na1\n");
  EXPECT_EQ(readFile(dir.file("species_1/complex_00007.txt")), "# Score: 0.0\nb0\n");
  EXPECT_EQ(readFile(dir.file("species_0/complex_123456.txt")), "# Score: 0.0\n");

  // Failures are counted and reported, and the writers go on with the others.
  std::string console = testutil::captureStdout(
      [&] { EXPECT_EQ(writeAlignmentsToFiles(dir.file("missing") + "/", complexes, stdout), 2u); });
  EXPECT_NE(console.find("ERROR: Can't create file: " + dir.file("missing") + "//ucomplex_00007.txt\n"),
            std::string::npos);
}

}  // namespace
