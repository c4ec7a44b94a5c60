// The modern command line against the classic one, as a user meets them:
// the same files and the same method console for the same options; its own
// short log and one-line refusals; names and labels in every table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "report/report_checks.h"
#include "test_util.h"

namespace {

using testutil::readFile;
using testutil::RunResult;
using testutil::TempDir;

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";

// The console without what differs between two runs anyway (the build stamp,
// the seconds, the command line echo).
std::string comparable(const std::string& console) {
  return testutil::normalizeConsole(testutil::withoutCommandLine(console));
}

void expectSameRun(const std::string& prefix, const std::vector<std::string>& modern,
                   const std::vector<std::string>& classic, const std::string& species = "3") {
  TempDir a, b;
  std::vector<std::string> modernArgs = {"search", "-k", species, "-i", prefix, "-o", "out"};
  modernArgs.insert(modernArgs.end(), modern.begin(), modern.end());
  const RunResult m = testutil::runTrellis(modernArgs, a.path());
  std::vector<std::string> classicArgs = {species, prefix, "out"};
  classicArgs.insert(classicArgs.end(), classic.begin(), classic.end());
  const RunResult c = testutil::runTrellis(classicArgs, b.path());
  ASSERT_EQ(m.status, c.status) << m.output;
  std::map<std::string, std::string> modernFiles = testutil::treeOf(a.file("out"));
  EXPECT_EQ(comparable(modernFiles["console.txt"]), comparable(c.output));
  modernFiles.erase("console.txt");
  EXPECT_EQ(modernFiles, testutil::treeOf(b.file("out")));
  EXPECT_NE(m.output.find("wrote "), std::string::npos) << m.output;
  EXPECT_EQ(m.output.find("Looking for seeds"), std::string::npos) << "the console went to console.txt";
}

TEST(ModernCommandLineTest, SameFilesAndConsoleAsTheClassicForm) {
  expectSameRun(DEMO, {"--pval-filter", "--random-passes", "2", "--beta", "0.7", "-t", "2", "--max-size", "9"},
                {"--pval-filter", "1", "--random-passes", "2", "-B:", "0.7", "--threads:", "2", "--max-size", "9"});
  expectSameRun(DEMO,
                {"--seed-spans", "oriented", "--expansion-spans", "path", "--orientation", "(1,(0),(2))",
                 "--seed-distance", "1", "--reuse-from", "15", "--refinements", "2", "--no-report"},
                {"-S:", "o", "-E:", "p", "--orient:", "(1,(0),(2))", "-D:", "1", "-DUP:", "15", "-R:", "2",
                 "--report:", "0"});
  TempDir data;
  const std::string prefix = data.file("gen");
  ASSERT_EQ(testutil::runSynth({"--species", "4", "--proteins", "120", "--complexes", "4", "--out", prefix}), 0);
  expectSameRun(prefix, {"--max-evalue", "1e-9", "--max-homologs", "3", "--final-overlap-filter"},
                {"-H:", "1e-9", "--maxhoms:", "3", "--final-overlap-filter", "1"}, "4");
}

TEST(ModernCommandLineTest, RefusalsAreOneLineOnStandardErrorWithStatus2) {
  TempDir dir;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"search", "-k", "3", "-i", DEMO, "--bogus"},
        std::vector<std::string>{"search", "-k", "3", "-i", DEMO, "--beta"},
        std::vector<std::string>{"search", "-k", "3", "-i", DEMO, "--beta", "2"},
        std::vector<std::string>{"search", "-k", "3", "-i", DEMO, "stray"},
        std::vector<std::string>{"--check-options", "-B:", "2"}}) {
    const RunResult r = testutil::runTrellisKeepingErrors(args, dir.path());
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_EQ(r.output, "") << args.back();
    EXPECT_EQ(r.errors.rfind("trellis2: ", 0), 0u) << r.errors;
    EXPECT_EQ(r.errors.find('\n'), r.errors.size() - 1) << r.errors;
    EXPECT_FALSE(testutil::fileExists(dir.file("out"))) << "nothing is made before the refusal";
  }
  const RunResult ok = testutil::runTrellisKeepingErrors({"--check-options", "-B:", "0.5", "--pval-filter", "1"},
                                                         dir.path());
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.output + ok.errors, "");
}

// A species whose names match nothing of the similarity file: warned about, not a silent empty run.
TEST(ModernCommandLineTest, AnEmptyRunIsWarnedAbout) {
  TempDir dir;
  for (const char* f : {"_int-0.txt", "_int-1.txt", "_int-2.txt"})
    testutil::writeFile(dir.file(std::string("in") + f), readFile(DEMO + f));
  testutil::writeFile(dir.file("in_blast.txt"), "x1 y1 1e-30\n");
  const RunResult r = testutil::runTrellisKeepingErrors({"search", "-k", "3", "-i", "in"}, dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.errors.find("trellis2: warning: species 0: none of its 300 proteins has a similarity link"),
            std::string::npos)
      << r.errors;
  EXPECT_NE(r.errors.find("trellis2: warning: no seed was found"), std::string::npos) << r.errors;
}

TEST(ModernCommandLineTest, SpeciesNamesAndLabelsReachEveryTable) {
  TempDir dir;
  for (const char* f : {"_int-0.txt", "_int-1.txt", "_int-2.txt", "_blast.txt"})
    testutil::writeFile(dir.file(std::string("in") + f), readFile(DEMO + f));
  // The demo's a-proteins get symbols; one of them an accession-like name.
  std::string labels = "# id<TAB>label\n";
  for (int i = 0; i < 300; ++i) labels += "a" + std::to_string(i) + "\tSYM" + std::to_string(i) + "\n";
  testutil::writeFile(dir.file("in_labels.txt"), labels);
  const RunResult r =
      testutil::runTrellis({"search", "-k", "3", "-i", "in", "--species-names", "yeast,fly,S. pombe"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.output;
  std::string problem;
  auto rows = reportcheck::readTsv(readFile(dir.file("out/complexes.tsv")), &problem);
  ASSERT_EQ(problem, "");
  ASSERT_FALSE(rows.empty());
  const std::vector<std::string> header = reportcheck::header(readFile(dir.file("out/complexes.tsv")));
  for (const char* column : {"score_yeast", "proteins_fly", "labels_S. pombe", "labels_yeast"})
    EXPECT_NE(std::find(header.begin(), header.end(), column), header.end()) << column;
  EXPECT_EQ(rows[0]["labels_yeast"].compare(0, 3, "SYM"), 0) << rows[0]["labels_yeast"];
  EXPECT_EQ(rows[0]["labels_fly"], rows[0]["proteins_fly"]) << "unlabelled proteins keep their names";
  auto nodes = reportcheck::readTsv(readFile(dir.file("out/nodes.tsv")), &problem);
  ASSERT_FALSE(nodes.empty());
  EXPECT_EQ(nodes[0]["species"], "yeast");
  EXPECT_EQ(nodes[0]["label"].compare(0, 3, "SYM"), 0);
  const std::string html = readFile(dir.file("out/report.html"));
  EXPECT_NE(html.find("<b>SYM"), std::string::npos);
  EXPECT_NE(html.find("S. pombe"), std::string::npos);
  EXPECT_NE(readFile(dir.file("out/manifest.tsv")).find("names\tyeast,fly,S. pombe\n"), std::string::npos);

  // trellis2-annotate takes the names from the manifest.
  const std::string data = std::string(TEST_DATA_DIR) + "/annotate/";
  const RunResult annotated = testutil::runAnnotate(
      {dir.file("out"), "--obo", data + "demo_go.obo", "--gaf", "0=" + data + "demo_go_0.gaf"});
  ASSERT_EQ(annotated.status, 0) << annotated.errors;
  auto summary = reportcheck::readTsv(readFile(dir.file("out/function_summary.tsv")), &problem);
  ASSERT_EQ(summary.size(), 1u);
  EXPECT_EQ(summary[0]["species"], "yeast");
  EXPECT_NE(readFile(dir.file("out/report.html")).find("best term yeast"), std::string::npos);
}

}  // namespace
