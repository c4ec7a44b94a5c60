// Runs of the binary checked against themselves: the summary table, the
// Cytoscape files and the HTML report agree with the alignment and species
// files of the same run and with the input, and switching them off changes
// nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "report/report_checks.h"
#include "test_util.h"

namespace fs = std::filesystem;
using reportcheck::readTsv;
using reportcheck::records;
using testutil::readFile;
using testutil::RunResult;
using testutil::TempDir;

namespace {

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";
const std::string SMALL = std::string(TEST_DATA_DIR) + "/small";
constexpr int SPECIES = 3;
const char* const SUMMARY_FILES[] = {"complexes.tsv", "complexes.sif", "nodes.tsv", "report.html"};

typedef std::pair<std::string, std::string> Pair;  // ordered: first < second
Pair pairOf(const std::string& a, const std::string& b) { return a < b ? Pair(a, b) : Pair(b, a); }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(text);
  while (std::getline(in, field, sep)) out.push_back(field);
  return out;
}

std::string oneDecimal(const std::string& number) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f", std::stod(number));
  return buf;
}

// One complex as its alignment and species files give it.
struct ResultFiles {
  std::string score;                                     // "# Score: " value of the alignment file
  std::vector<std::vector<std::string>> alignedNodes;    // names per aligned node
  std::string speciesScore[SPECIES];
  std::vector<std::string> speciesProteins[SPECIES];
};

std::map<unsigned, ResultFiles> readResultFiles(const std::string& out) {
  std::map<unsigned, ResultFiles> files;
  for (const auto& e : fs::directory_iterator(out + "/alignments")) {
    const std::string name = e.path().filename().string();  // ucomplex_00005.txt
    const unsigned id = static_cast<unsigned>(std::stoul(name.substr(9, name.size() - 13)));
    ResultFiles& r = files[id];
    const std::vector<std::string> text = lines(readFile(e.path().string()));
    r.score = text.at(0).substr(9);
    for (size_t i = 1; i < text.size(); ++i) r.alignedNodes.push_back(split(text[i], ','));
    for (int s = 0; s < SPECIES; ++s) {
      const std::vector<std::string> sp =
          lines(readFile(out + "/species_" + std::to_string(s) + "/complex_" + name.substr(9)));
      r.speciesScore[s] = sp.at(0).substr(9);
      r.speciesProteins[s].assign(sp.begin() + 1, sp.end());
    }
  }
  return files;
}

// Unordered pairs of a "name name number" file whose number is at most limit.
std::set<Pair> inputPairs(const std::string& path, double limit) {
  std::set<Pair> pairs;
  for (const std::string& line : lines(readFile(path))) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string a, b;
    double v;
    if (in >> a >> b >> v && v <= limit && a != b) pairs.insert(pairOf(a, b));
  }
  return pairs;
}

RunResult runIn(const TempDir& dir, const std::string& prefix, std::vector<std::string> options) {
  std::vector<std::string> args = {std::to_string(SPECIES), prefix, "out"};
  args.insert(args.end(), options.begin(), options.end());
  return testutil::runTrellis(args, dir.path());
}

// One demo run with the random pass, shared by the checks of its outputs.
class DemoReportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new TempDir;
    result = new RunResult(runIn(*dir, DEMO, {"--pval-filter", "on"}));
  }
  static void TearDownTestSuite() {
    delete result;
    delete dir;
  }
  void SetUp() override { ASSERT_EQ(result->status, 0) << result->output; }
  static std::string out(const std::string& name) { return dir->file("out/" + name); }

  static TempDir* dir;
  static RunResult* result;
};
TempDir* DemoReportTest::dir = nullptr;
RunResult* DemoReportTest::result = nullptr;

TEST_F(DemoReportTest, SummaryTableAgreesWithTheResultFiles) {
  const std::map<unsigned, ResultFiles> files = readResultFiles(out(""));
  ASSERT_GE(files.size(), 5u);
  std::string problem;
  const reportcheck::Table table = readTsv(readFile(out("complexes.tsv")), &problem);
  const auto rows = records(table, &problem);
  ASSERT_EQ(problem, "");
  EXPECT_EQ(table[0], (std::vector<std::string>{"id", "rank", "aligned_nodes", "proteins", "score", "score_0",
                                                "score_1", "score_2", "proteins_0", "proteins_1", "proteins_2",
                                                "random_threshold", "random_best"}));
  ASSERT_EQ(rows.size(), files.size());

  // Random-pass figures per size, as the console prints them (one decimal).
  std::map<unsigned, std::pair<std::string, std::string>> randomBySize;  // size -> (top 5%, best)
  for (const std::string& line : lines(result->output)) {
    unsigned size, count;
    double best, worst, avg, top;
    if (std::sscanf(line.c_str(), "%u# Count: %u Score {Best: %lf Worst: %lf Avg: %lf, Top 5%%: %lf}", &size,
                    &count, &best, &worst, &avg, &top) == 6) {
      char t[32], b[32];
      std::snprintf(t, sizeof t, "%.1f", top);
      std::snprintf(b, sizeof b, "%.1f", best);
      randomBySize[size] = {t, b};
    }
  }
  ASSERT_FALSE(randomBySize.empty());

  std::set<unsigned> ranks;
  bool someSizeWithoutRandom = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    std::map<std::string, std::string> row = rows[i];
    const unsigned id = static_cast<unsigned>(std::stoul(row["id"]));
    ASSERT_TRUE(files.count(id)) << id;
    const ResultFiles& f = files.at(id);
    EXPECT_EQ(std::stoul(row["aligned_nodes"]), f.alignedNodes.size()) << id;
    std::set<std::string> distinct;
    for (const auto& node : f.alignedNodes) distinct.insert(node.begin(), node.end());
    EXPECT_EQ(std::stoul(row["proteins"]), distinct.size()) << id;
    EXPECT_EQ(oneDecimal(row["score"]), f.score) << id;
    EXPECT_EQ(row["score"].size() - row["score"].find('.'), 7u) << "six decimals: " << row["score"];
    for (int s = 0; s < SPECIES; ++s) {
      const std::string col = std::to_string(s);
      EXPECT_EQ(oneDecimal(row["score_" + col]), f.speciesScore[s]) << id << " species " << s;
      EXPECT_EQ(split(row["proteins_" + col], ','), f.speciesProteins[s]) << id << " species " << s;
    }
    const auto random = randomBySize.find(static_cast<unsigned>(f.alignedNodes.size()));
    if (random == randomBySize.end()) {
      someSizeWithoutRandom = true;
      EXPECT_EQ(row["random_threshold"], "") << id;
      EXPECT_EQ(row["random_best"], "") << id;
    } else {
      EXPECT_EQ(oneDecimal(row["random_threshold"]), random->second.first) << id;
      EXPECT_EQ(oneDecimal(row["random_best"]), random->second.second) << id;
    }
    // Rank 1 is the best score; of equal scores the earlier row ranks first.
    const unsigned rank = static_cast<unsigned>(std::stoul(row["rank"]));
    ranks.insert(rank);
    for (size_t j = 0; j < i; ++j) {
      std::map<std::string, std::string> earlier = rows[j];
      const unsigned earlierRank = static_cast<unsigned>(std::stoul(earlier["rank"]));
      EXPECT_EQ(earlierRank < rank, std::stod(earlier["score"]) >= std::stod(row["score"])) << id;
    }
  }
  EXPECT_EQ(ranks.size(), rows.size());
  EXPECT_EQ(*ranks.begin(), 1u);
  EXPECT_EQ(*ranks.rbegin(), rows.size());
  EXPECT_TRUE(someSizeWithoutRandom) << "the demo should cover an empty random column";
}

// Every link inside a complex is in the SIF file, once, and nothing else is.
TEST_F(DemoReportTest, CytoscapeFilesHoldExactlyTheLinksInsideTheComplexes) {
  const std::map<unsigned, ResultFiles> files = readResultFiles(out(""));
  std::set<Pair> interactions[SPECIES];
  for (int s = 0; s < SPECIES; ++s)
    interactions[s] = inputPairs(DEMO + "_int-" + std::to_string(s) + ".txt", 1.0);
  const std::set<Pair> similar = inputPairs(DEMO + "_blast.txt", 1e-7);

  std::set<Pair> expectedPp, expectedSim;
  std::map<std::string, std::pair<int, std::set<unsigned>>> membership;  // protein -> species, complexes
  for (const auto& entry : files) {
    for (int s = 0; s < SPECIES; ++s) {
      const std::vector<std::string>& p = entry.second.speciesProteins[s];
      for (size_t i = 0; i < p.size(); ++i) {
        membership[p[i]].first = s;
        membership[p[i]].second.insert(entry.first);
        for (size_t j = i + 1; j < p.size(); ++j)
          if (interactions[s].count(pairOf(p[i], p[j]))) expectedPp.insert(pairOf(p[i], p[j]));
      }
    }
    for (const auto& node : entry.second.alignedNodes) {
      for (size_t i = 0; i < node.size(); ++i)
        for (size_t j = i + 1; j < node.size(); ++j)
          if (similar.count(pairOf(node[i], node[j]))) expectedSim.insert(pairOf(node[i], node[j]));
    }
  }
  ASSERT_FALSE(expectedPp.empty());
  ASSERT_FALSE(expectedSim.empty());

  std::set<Pair> pp, sim;
  std::set<std::string> named;
  for (const std::string& line : lines(readFile(out("complexes.sif")))) {
    const std::vector<std::string> f = split(line, '\t');
    ASSERT_TRUE(f.size() == 3 || f.size() == 1) << line;
    named.insert(f[0]);
    if (f.size() == 1) continue;
    named.insert(f[2]);
    ASSERT_TRUE(f[1] == "pp" || f[1] == "sim") << line;
    EXPECT_TRUE((f[1] == "pp" ? pp : sim).insert(pairOf(f[0], f[2])).second) << "written twice: " << line;
  }
  EXPECT_EQ(pp, expectedPp);
  EXPECT_EQ(sim, expectedSim);
  std::set<std::string> allProteins;
  for (const auto& m : membership) allProteins.insert(m.first);
  EXPECT_EQ(named, allProteins);

  std::string problem;
  const reportcheck::Table table = readTsv(readFile(out("nodes.tsv")), &problem);
  const auto rows = records(table, &problem);
  ASSERT_EQ(problem, "");
  EXPECT_EQ(table[0], (std::vector<std::string>{"protein", "species", "complexes"}));
  ASSERT_EQ(rows.size(), membership.size());
  for (std::map<std::string, std::string> row : rows) {
    ASSERT_TRUE(membership.count(row["protein"])) << row["protein"];
    const auto& expected = membership[row["protein"]];
    EXPECT_EQ(row["species"], std::to_string(expected.first)) << row["protein"];
    std::set<unsigned> ids;
    for (const std::string& id : split(row["complexes"], '|')) ids.insert(static_cast<unsigned>(std::stoul(id)));
    EXPECT_EQ(ids, expected.second) << row["protein"];
  }
}

TEST_F(DemoReportTest, HtmlReportIsSelfContainedAndDrawsEveryComplex) {
  const std::string html = readFile(out("report.html"));
  const std::map<unsigned, ResultFiles> files = readResultFiles(out(""));
  const std::vector<std::string> svgs = reportcheck::svgElements(html);
  ASSERT_EQ(svgs.size(), files.size() + 1);  // the histogram, then one drawing per complex
  for (const std::string& svg : svgs) EXPECT_EQ(reportcheck::xmlProblem(svg), "") << svg.substr(0, 200);
  for (const auto& entry : files) {
    char anchor[32];
    std::snprintf(anchor, sizeof anchor, "<figure id=\"c%05u\"", entry.first);
    EXPECT_NE(html.find(anchor), std::string::npos) << entry.first;
  }
  // Nothing is fetched: no element sources, style sheets or links leaving the page.
  for (const char* external : {"src=", "<link", "url(", "@import", "href=\"http"})
    EXPECT_EQ(html.find(external), std::string::npos) << external;
  EXPECT_NE(html.find("red line: random-pass threshold"), std::string::npos);
}

// Copies the small data set into dir with protein `from` renamed to `to`.
void renamedSmallInput(const TempDir& dir, const std::string& from, const std::string& to) {
  for (const char* name : {"small_int-0.txt", "small_int-1.txt", "small_int-2.txt", "small_blast.txt"}) {
    std::string text;
    for (const std::string& line : lines(readFile(SMALL + "/" + name))) {
      std::istringstream in(line);
      std::string a, b, rest;
      in >> a >> b;
      std::getline(in, rest);
      text += line[0] == '#' ? line + "\n" : (a == from ? to : a) + "\t" + (b == from ? to : b) + rest + "\n";
    }
    testutil::writeFile(dir.file(name), text);
  }
}

TEST(ReportMarkupTest, NamesWithMarkupCharactersAreEscapedAndReadBack) {
  // a30 belongs to a complex of the default run on the small data set.
  const std::string name = "a30<&>\"'x";
  TempDir dir;
  renamedSmallInput(dir, "a30", name);
  const RunResult r = runIn(dir, "small", {});
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_NE(readFile(dir.file("out/alignments/ucomplex_00005.txt")).find(name), std::string::npos);

  const std::string html = readFile(dir.file("out/report.html"));
  EXPECT_NE(html.find("a30&lt;&amp;&gt;&quot;&#39;x"), std::string::npos);
  EXPECT_EQ(html.find("a30<"), std::string::npos);
  EXPECT_EQ(html.find("a30&lt;&amp;&gt;\""), std::string::npos);
  for (const std::string& svg : reportcheck::svgElements(html))
    EXPECT_EQ(reportcheck::xmlProblem(svg), "") << svg.substr(0, 200);

  std::string problem;
  const auto complexes = records(readTsv(readFile(dir.file("out/complexes.tsv")), &problem), &problem);
  const auto nodes = records(readTsv(readFile(dir.file("out/nodes.tsv")), &problem), &problem);
  ASSERT_EQ(problem, "");
  bool inTable = false, inNodes = false;
  for (auto row : complexes) {
    const std::vector<std::string> names = split(row["proteins_0"], ',');
    inTable = inTable || std::find(names.begin(), names.end(), name) != names.end();
  }
  for (auto row : nodes) inNodes = inNodes || row["protein"] == name;
  EXPECT_TRUE(inTable);
  EXPECT_TRUE(inNodes);
  EXPECT_NE(readFile(dir.file("out/complexes.sif")).find(name + "\tpp\t"), std::string::npos);
}

// Console text without the command-line echo, which names the options.
std::string consoleWithoutCmdLine(const std::string& output) {
  std::string text = testutil::normalizeConsole(output);
  const size_t start = text.find("Cmd line: [");
  return text.erase(start, text.find('\n', start) + 1 - start);
}

std::map<std::string, std::string> treeOf(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = readFile(e.path().string());
  return files;
}

TEST(ReportSwitchTest, ReportOffWritesNoSummaryAndChangesNothingElse) {
  TempDir on, off;
  const RunResult withReport = runIn(on, DEMO, {"--pval-filter", "1"});
  const RunResult without = runIn(off, DEMO, {"--pval-filter", "1", "--report:", "0"});
  ASSERT_EQ(withReport.status, 0);
  ASSERT_EQ(without.status, 0);
  EXPECT_EQ(consoleWithoutCmdLine(withReport.output), consoleWithoutCmdLine(without.output));
  std::map<std::string, std::string> reported = treeOf(on.file("out"));
  for (const char* f : SUMMARY_FILES) {
    EXPECT_EQ(reported.erase(f), 1u) << f;
    EXPECT_FALSE(testutil::fileExists(off.file("out/") + f)) << f;
  }
  EXPECT_EQ(reported, treeOf(off.file("out")));
}

TEST(ReportSwitchTest, SummaryFileThatCannotBeWrittenIsReportedLikeTheOthers) {
  TempDir dir;
  ASSERT_EQ(fs::create_directories(dir.file("out/report.html")), true);
  const RunResult r = runIn(dir, DEMO, {});
  EXPECT_EQ(r.status, 252);
  EXPECT_NE(r.output.find("Done\nERROR: Can't create file: out/report.html\n"
                          "ERROR: 1 output files could not be written\nReminder: outdir: out\n"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(testutil::fileExists(dir.file("out/complexes.tsv")));
  // Switched off, the same directory is no fault.
  EXPECT_EQ(runIn(dir, DEMO, {"--report:", "0"}).status, 0);
}

TEST(ReportSwitchTest, NothingOnStandardErrorWhenItIsNotATerminal) {
  TempDir dir;
  const std::string cmd = "cd '" + dir.path() + "' && '" + TRELLIS2_BIN + "' 3 '" + DEMO +
                          "' out --pval-filter 1 >stdout.txt 2>stderr.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_FALSE(readFile(dir.file("stdout.txt")).empty());
  EXPECT_EQ(readFile(dir.file("stderr.txt")), "");
}

}  // namespace
