// Runs of the binary checked against themselves: the summary outputs agree with
// the alignment and species files of the same run and with the input, and
// switching them off changes nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "report/report_checks.h"
#include "test_util.h"

namespace fs = std::filesystem;
using testutil::readFile;
using testutil::RunResult;
using testutil::TempDir;
using testutil::treeOf;

namespace {

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";
constexpr int SPECIES = 3;
const char* const SUMMARY_FILES[] = {"complexes.tsv", "complexes.sif", "nodes.tsv", "report.html"};

typedef std::pair<std::string, std::string> Pair;
Pair pairOf(const std::string& a, const std::string& b) { return a < b ? Pair(a, b) : Pair(b, a); }

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string field; std::getline(in, field, sep);) out.push_back(field);
  return out;
}

std::string oneDecimal(const std::string& number) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f", std::stod(number));
  return buf;
}

// One complex as its alignment file and species files give it.
struct ResultFiles {
  std::string score, speciesScore[SPECIES];
  std::vector<std::vector<std::string>> alignedNodes;
  std::vector<std::string> speciesProteins[SPECIES];
};

std::map<unsigned, ResultFiles> readResultFiles(const std::string& out) {
  std::map<unsigned, ResultFiles> files;
  for (const auto& e : fs::directory_iterator(out + "/alignments")) {
    const std::string suffix = e.path().filename().string().substr(9);  // "00005.txt"
    ResultFiles& r = files[static_cast<unsigned>(std::stoul(suffix))];
    const std::vector<std::string> text = split(readFile(e.path().string()), '\n');
    r.score = text.at(0).substr(9);  // after "# Score: "
    for (size_t i = 1; i < text.size(); ++i) r.alignedNodes.push_back(split(text[i], ','));
    for (int s = 0; s < SPECIES; ++s) {
      const std::vector<std::string> sp =
          split(readFile(out + "/species_" + std::to_string(s) + "/complex_" + suffix), '\n');
      r.speciesScore[s] = sp.at(0).substr(9);
      r.speciesProteins[s].assign(sp.begin() + 1, sp.end());
    }
  }
  return files;
}

// Unordered pairs of a "name name number" file whose number is at most limit.
std::set<Pair> inputPairs(const std::string& path, double limit) {
  std::set<Pair> pairs;
  for (const std::string& line : split(readFile(path), '\n')) {
    std::istringstream in(line);
    std::string a, b;
    double v;
    if (line[0] != '#' && in >> a >> b >> v && v <= limit && a != b) pairs.insert(pairOf(a, b));
  }
  return pairs;
}

// Whether the proteins are one connected subnetwork of the interactions.
bool connected(const std::vector<std::string>& proteins, const std::set<Pair>& interactions) {
  std::set<std::string> reached = {proteins.at(0)};
  for (bool grew = true; grew;) {
    grew = false;
    for (const std::string& a : proteins)
      for (const std::string& b : proteins)
        if (reached.count(a) && !reached.count(b) && interactions.count(pairOf(a, b)))
          grew = reached.insert(b).second;
  }
  return reached.size() == proteins.size();
}

// Other complexes sharing more than half of the smaller complex's distinct proteins.
size_t overlappingOthers(unsigned id, const std::map<unsigned, ResultFiles>& files) {
  const auto proteinsOf = [](const ResultFiles& f) {
    std::set<std::string> all;
    for (const auto& species : f.speciesProteins) all.insert(species.begin(), species.end());
    return all;
  };
  const std::set<std::string> mine = proteinsOf(files.at(id));
  size_t count = 0;
  for (const auto& other : files) {
    if (other.first == id) continue;
    const std::set<std::string> theirs = proteinsOf(other.second);
    size_t shared = 0;
    for (const std::string& p : mine) shared += theirs.count(p);
    if (2 * shared > std::min(mine.size(), theirs.size())) ++count;
  }
  return count;
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
    files = new std::map<unsigned, ResultFiles>(readResultFiles(dir->file("out")));
  }
  static void TearDownTestSuite() {
    delete files;
    delete result;
    delete dir;
  }
  void SetUp() override {
    ASSERT_EQ(result->status, 0) << result->output;
    ASSERT_GE(files->size(), 5u);
  }
  static std::string out(const std::string& name) { return readFile(dir->file("out/" + name)); }

  static TempDir* dir;
  static RunResult* result;
  static std::map<unsigned, ResultFiles>* files;
};
TempDir* DemoReportTest::dir = nullptr;
RunResult* DemoReportTest::result = nullptr;
std::map<unsigned, ResultFiles>* DemoReportTest::files = nullptr;

TEST_F(DemoReportTest, SummaryTableAgreesWithTheResultFiles) {
  const std::string tsv = out("complexes.tsv");
  EXPECT_EQ(
      reportcheck::header(tsv),
      split("id rank aligned_nodes proteins score score_0 score_1 score_2 proteins_0 proteins_1 proteins_2 "
            "random_threshold random_best distinct_0 distinct_1 distinct_2 connected_0 connected_1 connected_2 "
            "overlapping random_samples tail_p q_value empirical_p",
            ' '));
  std::string problem;
  auto rows = reportcheck::readTsv(tsv, &problem);
  ASSERT_EQ(problem, "");
  ASSERT_EQ(rows.size(), files->size());

  // Random-pass figures per size as the console prints them: size -> "top 5% best", and the counts.
  std::map<size_t, std::string> randomBySize;
  std::map<size_t, unsigned> randomCount;
  for (const std::string& line : split(result->output, '\n')) {
    unsigned size, count;
    double best, worst, avg, top;
    if (std::sscanf(line.c_str(), "%u# Count: %u Score {Best: %lf Worst: %lf Avg: %lf, Top 5%%: %lf}", &size,
                    &count, &best, &worst, &avg, &top) == 6) {
      randomBySize[size] = oneDecimal(std::to_string(top)) + " " + oneDecimal(std::to_string(best));
      randomCount[size] = count;
    }
  }
  std::set<Pair> interactions[SPECIES];
  for (int s = 0; s < SPECIES; ++s)
    interactions[s] = inputPairs(DEMO + "_int-" + std::to_string(s) + ".txt", 1);
  bool emptyRandomColumn = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    auto& row = rows[i];
    const unsigned id = static_cast<unsigned>(std::stoul(row["id"]));
    ASSERT_TRUE(files->count(id)) << id;
    const ResultFiles& f = files->at(id);
    std::set<std::string> distinct;
    for (const auto& node : f.alignedNodes) distinct.insert(node.begin(), node.end());
    EXPECT_EQ(row["aligned_nodes"], std::to_string(f.alignedNodes.size())) << id;
    EXPECT_EQ(row["proteins"], std::to_string(distinct.size())) << id;
    EXPECT_EQ(oneDecimal(row["score"]), f.score) << id;
    EXPECT_EQ(row["score"].size() - row["score"].find('.'), 7u) << "six decimals: " << row["score"];
    for (int s = 0; s < SPECIES; ++s) {
      EXPECT_EQ(oneDecimal(row["score_" + std::to_string(s)]), f.speciesScore[s]) << id << " species " << s;
      EXPECT_EQ(split(row["proteins_" + std::to_string(s)], ','), f.speciesProteins[s])
          << id << " species " << s;
    }
    const auto random = randomBySize.find(f.alignedNodes.size());
    for (int s = 0; s < SPECIES; ++s) {
      const std::string sp = std::to_string(s);
      EXPECT_EQ(row["distinct_" + sp], std::to_string(f.speciesProteins[s].size())) << id;
      EXPECT_EQ(row["connected_" + sp], connected(f.speciesProteins[s], interactions[s]) ? "1" : "0") << id;
    }
    EXPECT_EQ(row["overlapping"], std::to_string(overlappingOthers(id, *files))) << id;
    EXPECT_EQ(row["random_samples"], std::to_string(randomCount[f.alignedNodes.size()])) << id;
    if (!row["tail_p"].empty()) {
      EXPECT_GE(std::stod(row["tail_p"]), 0) << id;
      EXPECT_LE(std::stod(row["tail_p"]), 1) << id;
    }
    if (random == randomBySize.end()) {
      emptyRandomColumn = true;
      EXPECT_EQ(row["random_threshold"] + row["random_best"] + row["tail_p"] + row["q_value"], "") << id;
      EXPECT_EQ(row["empirical_p"], "") << "no random complex of the size, no p-value: " << id;
    } else {
      EXPECT_EQ(oneDecimal(row["random_threshold"]) + " " + oneDecimal(row["random_best"]), random->second)
          << id;
      // (1 + r>=) / (1 + r): between 1 / (1 + r) (above the best) and 1.
      const double p = std::stod(row["empirical_p"]), r = randomCount[f.alignedNodes.size()];
      EXPECT_GE(p, 1 / (1 + r) - 1e-6) << id;
      EXPECT_LE(p, 1.0) << id;
      if (std::stod(row["score"]) > std::stod(row["random_best"])) {
        EXPECT_NEAR(p, 1 / (1 + r), 1e-6) << id;
      }
    }
    // Rank 1 is the best score; of equal scores the earlier row ranks first.
    for (size_t j = 0; j < i; ++j)
      EXPECT_EQ(std::stoul(rows[j]["rank"]) < std::stoul(row["rank"]),
                std::stod(rows[j]["score"]) >= std::stod(row["score"]))
          << id;
    EXPECT_LE(std::stoul(row["rank"]), rows.size());
  }
  EXPECT_TRUE(emptyRandomColumn) << "the demo should cover a size without random complexes";
  // q-values: Benjamini-Hochberg computed directly, min over the larger p of p * m / rank.
  std::vector<double> ps;
  for (auto& row : rows)
    if (!row["empirical_p"].empty()) ps.push_back(std::stod(row["empirical_p"]));
  std::sort(ps.begin(), ps.end());
  for (auto& row : rows) {
    if (row["empirical_p"].empty()) continue;
    const double p = std::stod(row["empirical_p"]);
    double q = 1;
    for (size_t k = 0; k < ps.size(); ++k)
      if (ps[k] >= p - 1e-9) q = std::min(q, ps[k] * ps.size() / (k + 1));
    EXPECT_NEAR(std::stod(row["q_value"]), q, 1e-5) << row["id"];
  }
}

// Every link inside a complex is in the SIF file, once, and nothing else is.
TEST_F(DemoReportTest, CytoscapeFilesHoldExactlyTheLinksInsideTheComplexes) {
  std::set<Pair> interactions[SPECIES];
  for (int s = 0; s < SPECIES; ++s)
    interactions[s] = inputPairs(DEMO + "_int-" + std::to_string(s) + ".txt", 1);
  const std::set<Pair> similar = inputPairs(DEMO + "_blast.txt", 1e-7);
  std::set<Pair> wantPp, wantSim;
  std::map<std::string, std::string> wantNodes;  // protein -> "species<TAB>id|id"
  for (const auto& entry : *files) {
    for (int s = 0; s < SPECIES; ++s) {
      const std::vector<std::string>& p = entry.second.speciesProteins[s];
      for (size_t i = 0; i < p.size(); ++i) {
        std::string& row = wantNodes[p[i]];
        row += (row.empty() ? std::to_string(s) + "\t" : "|") + std::to_string(entry.first);
        for (size_t j = i + 1; j < p.size(); ++j)
          if (interactions[s].count(pairOf(p[i], p[j]))) wantPp.insert(pairOf(p[i], p[j]));
      }
    }
    for (const auto& node : entry.second.alignedNodes)
      for (size_t i = 0; i < node.size(); ++i)
        for (size_t j = i + 1; j < node.size(); ++j)
          if (similar.count(pairOf(node[i], node[j]))) wantSim.insert(pairOf(node[i], node[j]));
  }
  ASSERT_FALSE(wantPp.empty());
  ASSERT_FALSE(wantSim.empty());
  std::set<Pair> pp, sim;
  std::set<std::string> named;
  for (const std::string& line : split(out("complexes.sif"), '\n')) {
    const std::vector<std::string> f = split(line, '\t');
    ASSERT_TRUE(f.size() == 3 || f.size() == 1) << line;
    named.insert(f.front());
    named.insert(f.back());
    if (f.size() == 3) {
      EXPECT_TRUE((f[1] == "pp" ? pp : sim).insert(pairOf(f[0], f[2])).second) << line;
    }
  }
  EXPECT_EQ(pp, wantPp);
  EXPECT_EQ(sim, wantSim);
  EXPECT_EQ(named.size(), wantNodes.size());

  std::map<std::string, std::string> nodes;
  for (const std::string& line : split(out("nodes.tsv"), '\n')) {
    const size_t tab = line.find('\t');
    nodes[line.substr(0, tab)] = line.substr(tab + 1);
  }
  EXPECT_EQ(nodes["protein"], "species\tcomplexes");
  nodes.erase("protein");
  EXPECT_EQ(nodes, wantNodes);
}

TEST_F(DemoReportTest, HtmlReportIsSelfContainedAndDrawsEveryComplex) {
  const std::string html = out("report.html");
  const std::vector<std::string> svgs = reportcheck::svgElements(html);
  ASSERT_EQ(svgs.size(), files->size() + 1);  // the histogram, then one drawing per complex
  for (const std::string& svg : svgs) EXPECT_EQ(reportcheck::xmlProblem(svg), "") << svg.substr(0, 200);
  EXPECT_NE(svgs[0].find(": random-pass threshold "), std::string::npos);
  for (const auto& entry : *files) {
    char anchor[32];
    std::snprintf(anchor, sizeof anchor, "<figure id=\"c%05u\"", entry.first);
    EXPECT_NE(html.find(anchor), std::string::npos) << entry.first;
  }
  for (const char* external : {"src=", "<link", "url(", "@import", "href=\"http"})
    EXPECT_EQ(html.find(external), std::string::npos) << external;
}

TEST(ReportMarkupTest, NamesWithMarkupCharactersAreEscapedAndReadBack) {
  // a30 is in a complex of the default run on the small data set; rename it everywhere.
  const std::string name = "a30<&>\"'x";
  TempDir dir;
  for (const char* file : {"small_int-0.txt", "small_int-1.txt", "small_int-2.txt", "small_blast.txt"}) {
    std::string text;
    for (const std::string& line : split(readFile(std::string(TEST_DATA_DIR) + "/small/" + file), '\n')) {
      std::vector<std::string> f = split(line, '\t');
      for (std::string& field : f) field = field == "a30" ? name : field;
      for (const std::string& field : f) text += field + (&field == &f.back() ? "\n" : "\t");
    }
    testutil::writeFile(dir.file(file), text);
  }
  ASSERT_EQ(runIn(dir, "small", {}).status, 0);
  ASSERT_NE(readFile(dir.file("out/alignments/ucomplex_00005.txt")).find(name), std::string::npos);

  const std::string html = readFile(dir.file("out/report.html"));
  EXPECT_NE(html.find("a30&lt;&amp;&gt;&quot;&#39;x"), std::string::npos);
  EXPECT_EQ(html.find("a30<"), std::string::npos);
  for (const std::string& svg : reportcheck::svgElements(html)) EXPECT_EQ(reportcheck::xmlProblem(svg), "");
  std::string problem;
  auto rows = reportcheck::readTsv(readFile(dir.file("out/complexes.tsv")), &problem);
  auto nodes = reportcheck::readTsv(readFile(dir.file("out/nodes.tsv")), &problem);
  ASSERT_EQ(problem, "");
  EXPECT_EQ(split(rows.at(0)["proteins_0"], ',').at(0), name);
  EXPECT_EQ(nodes.at(0)["protein"], name);
  EXPECT_NE(readFile(dir.file("out/complexes.sif")).find(name + "\tpp\t"), std::string::npos);
}

TEST(ReportSwitchTest, ReportOffWritesNoSummaryAndChangesNothingElse) {
  TempDir on, off;
  RunResult with = runIn(on, DEMO, {"--pval-filter", "1"});
  RunResult without = runIn(off, DEMO, {"--pval-filter", "1", "--report:", "0"});
  ASSERT_EQ(with.status, 0);
  ASSERT_EQ(without.status, 0);
  // The command-line echo names the options.
  EXPECT_EQ(testutil::normalizeConsole(testutil::withoutCommandLine(with.output)),
            testutil::normalizeConsole(testutil::withoutCommandLine(without.output)));
  std::map<std::string, std::string> reported = treeOf(on.file("out"));
  for (const char* f : SUMMARY_FILES) EXPECT_EQ(reported.erase(f), 1u) << f;
  EXPECT_EQ(reported, treeOf(off.file("out")));
}

TEST(ReportSwitchTest, SummaryFileThatCannotBeWrittenIsReportedLikeTheOthers) {
  TempDir dir;
  ASSERT_TRUE(fs::create_directories(dir.file("out/report.html")));
  const RunResult r = runIn(dir, DEMO, {});
  EXPECT_EQ(r.status, 252);
  EXPECT_NE(r.output.find("Done\nERROR: Can't create file: out/report.html\n"
                          "ERROR: 1 output files could not be written\nReminder: outdir: out\n"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(testutil::fileExists(dir.file("out/complexes.tsv")));
  EXPECT_EQ(runIn(dir, DEMO, {"--report:", "0"}).status, 0);
}

TEST(ReportSwitchTest, NothingOnStandardErrorWhenItIsNotATerminal) {
  TempDir dir;
  const std::string cmd = "cd '" + dir.path() + "' && '" + TRELLIS2_BIN + "' 3 '" + DEMO +
                          "' out --pval-filter 1 >stdout.txt 2>stderr.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_NE(readFile(dir.file("stdout.txt")).find("--= FINISHED =--"), std::string::npos);
  EXPECT_EQ(readFile(dir.file("stderr.txt")), "");
}

}  // namespace
