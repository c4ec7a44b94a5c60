// trellis2-annotate as a user runs it: trellis2 on the demo data, then the
// annotation with the samples of tests/data/annotate/; the tables, the report
// it extends, and its errors.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "network/netbuilder.h"
#include "network/network.h"
#include "report/annotation_slots.h"
#include "report/report_checks.h"
#include "test_util.h"
#include "tools/annotate/run_results.h"

namespace fs = std::filesystem;
using testutil::readFile;
using testutil::RunResult;
using testutil::TempDir;

namespace {

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";
const std::string DATA = std::string(TEST_DATA_DIR) + "/annotate/";

std::vector<std::string> allOptions() {
  return {"--obo",       DATA + "demo_go.obo",
          "--gaf",       "0=" + DATA + "demo_go_0.gaf",
          "--gaf",       "2=" + DATA + "demo_go_2.gaf.gz",
          "--reference", "0=" + DATA + "demo_ref_0.txt",
          "--reference", "1=" + DATA + "demo_ref_1.tsv",
          "--reference", "2=" + DATA + "demo_ref_2.txt"};
}

RunResult annotate(const std::string& out, std::vector<std::string> options) {
  options.insert(options.begin(), out);
  return testutil::runAnnotate(options);
}

std::vector<std::map<std::string, std::string>> table(const std::string& path) {
  std::string problem;
  auto rows = reportcheck::readTsv(readFile(path), &problem);
  EXPECT_EQ(problem, "") << path;
  return rows;
}

// The page with the content of every annotation slot removed.
std::string withEmptySlots(const std::string& page) {
  std::string out, error;
  EXPECT_TRUE(fillAnnotationSlots(
      page, [](const std::string&) { return ""; }, &out, &error))
      << error;
  return out;
}

// Everything annotation wrote into the slots, each slot's content in a <div>.
std::vector<std::string> slotContents(const std::string& page) {
  std::vector<std::string> contents;
  const std::string open = "<!--trellis2-annotate:", close = "<!--/trellis2-annotate:";
  for (size_t at = page.find(open); at != std::string::npos; at = page.find(open, at + 1)) {
    const size_t start = page.find("-->", at) + 3;
    contents.push_back("<div>" + page.substr(start, page.find(close, start) - start) + "</div>");
  }
  return contents;
}

// One demo run with the random pass, annotated once, shared by the checks.
class AnnotatedDemoTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new TempDir;
    run = new RunResult(testutil::runTrellis({"3", DEMO, "out", "--pval-filter", "1"}, dir->path()));
    plainReport = new std::string(readFile(dir->file("out/report.html")));
    first = new RunResult(annotate(dir->file("out"), allOptions()));
  }
  static void TearDownTestSuite() {
    delete first;
    delete plainReport;
    delete run;
    delete dir;
  }
  void SetUp() override {
    ASSERT_EQ(run->status, 0);
    ASSERT_EQ(first->status, 0) << first->errors;
  }
  static std::string out(const std::string& name) { return dir->file("out/" + name); }

  static TempDir* dir;
  static RunResult* run;
  static std::string* plainReport;
  static RunResult* first;
};
TempDir* AnnotatedDemoTest::dir = nullptr;
RunResult* AnnotatedDemoTest::run = nullptr;
std::string* AnnotatedDemoTest::plainReport = nullptr;
RunResult* AnnotatedDemoTest::first = nullptr;

TEST_F(AnnotatedDemoTest, PlantedComplexesAreEnrichedInTheirOwnTerm) {
  const auto complexes = table(out("complexes.tsv"));
  const auto rows = table(out("go_enrichment.tsv"));
  EXPECT_EQ(reportcheck::header(readFile(out("go_enrichment.tsv"))),
            (std::vector<std::string>{"id", "species", "term", "name", "aspect", "k", "n", "K", "N", "p",
                                      "corrected_p"}));
  ASSERT_FALSE(rows.empty());
  // Order: complexes.tsv, then species, then corrected p, then term.
  std::map<std::string, size_t> position;
  for (size_t i = 0; i < complexes.size(); ++i) position[complexes[i].at("id")] = i;
  for (size_t i = 1; i < rows.size(); ++i) {
    const auto& a = rows[i - 1];
    const auto& b = rows[i];
    const auto key = [&](const std::map<std::string, std::string>& r) {
      return std::make_tuple(position.at(r.at("id")), std::stoi(r.at("species")),
                             std::stod(r.at("corrected_p")), r.at("term"));
    };
    EXPECT_LT(key(a), key(b)) << "row " << i;
  }
  size_t planted = 0;
  for (const auto& r : rows) {
    EXPECT_LE(std::stod(r.at("corrected_p")), 0.05);
    EXPECT_LE(std::stod(r.at("p")), std::stod(r.at("corrected_p")));
    EXPECT_TRUE(r.at("species") == "0" || r.at("species") == "2");
    if (r.at("name").compare(0, 16, "planted complex ") == 0 && std::stod(r.at("corrected_p")) <= 0.01)
      ++planted;
  }
  EXPECT_EQ(planted, 2u * 6) << "six planted complexes in two species, each in its own term";

  const auto summary = table(out("function_summary.tsv"));
  ASSERT_EQ(summary.size(), 2u);
  EXPECT_EQ(summary[0].at("species"), "0");
  EXPECT_EQ(summary[1].at("species"), "2");
  for (const auto& s : summary) {
    EXPECT_EQ(s.at("complexes"), std::to_string(complexes.size()));
    EXPECT_GE(std::stoi(s.at("coherent")), 6);
  }
  EXPECT_NE(first->output.find("species 2: population 279 of 300 network proteins (matched by object id 93, "
                               "symbol 94, synonym 92)"),
            std::string::npos)
      << first->output;
}

TEST_F(AnnotatedDemoTest, KnownComplexesAreRecoveredInEveryFormat) {
  const auto match = table(out("reference_match.tsv"));
  ASSERT_EQ(match.size(), 3u);
  EXPECT_EQ(match[0].at("references"), "6");
  EXPECT_EQ(match[0].at("dropped"), "1") << "the reference outside the network";
  for (const auto& m : match) {
    EXPECT_EQ(m.at("recall"), "1") << m.at("species");
    EXPECT_GT(std::stod(m.at("MMR")), 0.8) << m.at("species");
  }
  const auto hits = table(out("reference_hits.tsv"));
  ASSERT_FALSE(hits.empty());
  size_t complete = 0;
  for (const auto& h : hits) complete += h.at("OS") == "1";
  EXPECT_GE(complete, 3u);
  EXPECT_NE(readFile(out("reference_hits.tsv")).find("\tCPX-5\tplanted complex 5\t1\t9\t9\t9\n"),
            std::string::npos);
}

TEST_F(AnnotatedDemoTest, ReportGainsTheSectionInItsSlotsOnly) {
  const std::string html = readFile(out("report.html"));
  EXPECT_NE(html.find("<h2 id=\"function\">Function</h2>"), std::string::npos);
  EXPECT_NE(html.find("<h2 id=\"function-summary\">Function summary</h2>"), std::string::npos);
  EXPECT_NE(html.find("planted complex 1 &lt;&amp;&gt;"), std::string::npos) << "names escaped";
  EXPECT_EQ(html.find("planted complex 1 <"), std::string::npos);
  // Every best-term link leads to a row of the Function section.
  size_t links = 0;
  for (size_t at = html.find("<a href=\"#f"); at != std::string::npos;
       at = html.find("<a href=\"#f", at + 1)) {
    if (!std::isdigit(static_cast<unsigned char>(html[at + 11]))) continue;  // the section links
    const std::string anchor = html.substr(at + 10, html.find('"', at + 10) - at - 10);
    EXPECT_NE(html.find("<tr id=\"" + anchor + "\">"), std::string::npos) << anchor;
    ++links;
  }
  EXPECT_GE(links, 12u);
  // Only the slots changed, and what is in them is well-formed.
  EXPECT_EQ(withEmptySlots(html), *plainReport);
  const std::vector<std::string> contents = slotContents(html);
  EXPECT_EQ(contents.size(), 4 + table(out("complexes.tsv")).size());  // nav, summary, head, section, rows
  for (const std::string& c : contents) EXPECT_EQ(reportcheck::xmlProblem(c), "") << c.substr(0, 300);
  for (const std::string& svg : reportcheck::svgElements(html)) EXPECT_EQ(reportcheck::xmlProblem(svg), "");
  for (const char* external : {"src=", "<link", "url(", "@import", "href=\"http"})
    EXPECT_EQ(html.find(external), std::string::npos) << external;
  // Every row of the complexes table has as many cells as its header.
  const size_t table = html.find("<h2 id=\"complexes\">"), end = html.find("</table>", table);
  const std::string complexes = html.substr(table, end - table);
  size_t cells = std::string::npos;
  for (size_t row = complexes.find("<tr>"); row != std::string::npos; row = complexes.find("<tr>", row + 1)) {
    const std::string tr = complexes.substr(row, complexes.find("</tr>", row) - row);
    size_t n = 0;
    for (const char* tag : {"<td", "<th"})
      for (size_t at = tr.find(tag); at != std::string::npos; at = tr.find(tag, at + 1)) ++n;
    if (cells == std::string::npos) cells = n;
    EXPECT_EQ(n, cells) << tr.substr(0, 200);
  }
}

TEST_F(AnnotatedDemoTest, AnnotatingAgainReplacesTheFirstAnnotation) {
  const std::string once = readFile(out("report.html"));
  const std::string tables = readFile(out("go_enrichment.tsv")) + readFile(out("reference_hits.tsv"));
  const RunResult second = annotate(dir->file("out"), allOptions());
  ASSERT_EQ(second.status, 0) << second.errors;
  EXPECT_EQ(readFile(out("report.html")), once);
  EXPECT_EQ(readFile(out("go_enrichment.tsv")) + readFile(out("reference_hits.tsv")), tables);
  EXPECT_EQ(second.output, first->output);
  // A narrower annotation replaces the wider one in the page.
  ASSERT_EQ(annotate(dir->file("out"), {"--reference", "1=" + DATA + "demo_ref_1.tsv"}).status, 0);
  const std::string narrow = readFile(out("report.html"));
  EXPECT_EQ(narrow.find("<h2 id=\"function\">"), std::string::npos);
  EXPECT_NE(narrow.find("known complex 1"), std::string::npos);
  EXPECT_EQ(narrow.find("best term 0"), std::string::npos);
  EXPECT_EQ(withEmptySlots(narrow), *plainReport);
  ASSERT_EQ(annotate(dir->file("out"), allOptions()).status, 0);
  EXPECT_EQ(readFile(out("report.html")), once);
}

TEST(AnnotateRunTest, WithoutReportTheTablesAreWrittenAndTheUserIsTold) {
  TempDir dir;
  ASSERT_EQ(testutil::runTrellis({"3", DEMO, "out", "--report:", "0"}, dir.path()).status, 0);
  const RunResult r = annotate(dir.file("out"), {"--reference", "0=" + DATA + "demo_ref_0.txt"});
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_NE(r.output.find("no report to extend: " + dir.file("out") + "/report.html does not exist"),
            std::string::npos)
      << r.output;
  EXPECT_FALSE(testutil::fileExists(dir.file("out/report.html")));
  EXPECT_EQ(table(dir.file("out/reference_match.tsv")).size(), 1u);
  // Species 0's complexes given for species 1: nothing matches, and the user is told why.
  const RunResult other = annotate(dir.file("out"), {"--reference", "1=" + DATA + "demo_ref_0.txt"});
  EXPECT_EQ(other.status, 0);
  EXPECT_NE(other.output.find("species 1: WARNING: no known complex of " + DATA +
                              "demo_ref_0.txt keeps 3 proteins"),
            std::string::npos)
      << other.output;
}

TEST(AnnotateRunTest, MovedInputsAreFoundWithInput) {
  TempDir dir;
  for (const char* f : {"_int-0.txt", "_int-1.txt", "_int-2.txt", "_blast.txt"})
    fs::copy_file(DEMO + f, dir.file(std::string("demo") + f));
  ASSERT_EQ(testutil::runTrellis({"3", "demo", "out"}, dir.path()).status, 0);
  EXPECT_EQ(readFile(dir.file("out/manifest.tsv")),
            "key\tvalue\nformat\t1\nspecies\t3\ninput\t" + dir.file("demo") + "\n");
  fs::create_directory(dir.file("moved"));
  for (const char* f : {"_int-0.txt", "_int-1.txt", "_int-2.txt", "_blast.txt"})
    fs::rename(dir.file(std::string("demo") + f), dir.file(std::string("moved/demo") + f));
  const std::vector<std::string> ref = {"--reference", "0=" + DATA + "demo_ref_0.txt"};
  RunResult r = annotate(dir.file("out"), ref);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "trellis2-annotate: " + dir.file("demo_int-0.txt") +
                          ": cannot open: No such file or directory\n");
  std::vector<std::string> moved = ref;
  moved.insert(moved.end(), {"--input", dir.file("moved/demo")});
  r = annotate(dir.file("out"), moved);
  EXPECT_EQ(r.status, 0) << r.errors;
  // Another input set does not hold the run's proteins.
  moved.back() = std::string(TEST_DATA_DIR) + "/small/small";
  r = annotate(dir.file("out"), moved);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.errors.find("is not in " + std::string(TEST_DATA_DIR) +
                          "/small/small_int-0.txt: the run read other "
                          "input files (give their prefix with --input)"),
            std::string::npos)
      << r.errors;
}

TEST(AnnotateRunTest, CommandLineErrorsExitWithTwoAndInputErrorsWithOne) {
  TempDir dir;
  ASSERT_EQ(testutil::runTrellis({"3", DEMO, "out", "--report:", "0"}, dir.path()).status, 0);
  const std::string out = dir.file("out");
  const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
      {{out}, "nothing to do: give --obo with --gaf S=FILE, or --reference S=FILE"},
      {{out, "--obo", DATA + "demo_go.obo"}, "--obo needs at least one --gaf S=FILE"},
      {{out, "--gaf", "0=x.gaf"}, "--gaf needs --obo (the ontology)"},
      {{out, "--reference", "3=" + DATA + "demo_ref_0.txt"},
       "--reference 3=" + DATA + "demo_ref_0.txt: the run has 3 species (0..2)"},
      {{out, "--reference", "x.txt"}, "--reference 'x.txt': expected S=FILE, S a species index (0, 1, ...)"},
      {{out, "--reference", "0=a", "--reference", "0=b"}, "--reference: species 0 given twice"},
      {{out, "--reference", "0=a", "--overlap", "2"}, "--overlap '2': expected a number in [0, 1]"},
      {{out, "--reference", "0=a", "--max-p", "0"}, "--max-p '0': expected a number in (0, 1]"},
      {{out, "--reference", "0=a", "--bogus", "1"}, "unknown option '--bogus'"},
      {{out, out, "--reference", "0=a"}, "unexpected argument '" + out + "' (one OUTDIR only)"},
  };
  for (const auto& u : usage) {
    const RunResult r = testutil::runAnnotate(u.first);
    EXPECT_EQ(r.status, 2) << u.second;
    EXPECT_EQ(r.errors, "trellis2-annotate: " + u.second + "\nTry 'trellis2-annotate --help'.\n");
  }
  const RunResult noRun = testutil::runAnnotate({dir.path(), "--reference", "0=" + DATA + "demo_ref_0.txt"});
  EXPECT_EQ(noRun.status, 1);
  EXPECT_NE(noRun.errors.find(dir.file("manifest.tsv") + ": cannot open"), std::string::npos) << noRun.errors;
  testutil::writeFile(dir.file("bad.gaf"), "!gaf-version: 2.2\nUniProtKB\tP1\n");
  const RunResult badGaf =
      testutil::runAnnotate({out, "--obo", DATA + "demo_go.obo", "--gaf", "1=" + dir.file("bad.gaf")});
  EXPECT_EQ(badGaf.status, 1);
  EXPECT_EQ(badGaf.errors, "trellis2-annotate: " + dir.file("bad.gaf") +
                               ":2: 2 tab-separated columns, a GAF row has 15 to 17: 'UniProtKB\tP1'\n");
  EXPECT_FALSE(testutil::fileExists(dir.file("out/go_enrichment.tsv"))) << "nothing written before the error";
  EXPECT_EQ(testutil::runAnnotate({"--help"}).status, 0);
}

// The population comes from the interaction file exactly as trellis2 reads it.
TEST(AnnotateNetworkTest, NetworkProteinsAreThoseOfTheProgramsOwnReader) {
  TempDir dir;
  testutil::writeFile(
      dir.file("in_int-0.txt"),
      "# comment\nA B 0.5\r\nC C 0.9\nD E 1.5\nF G nan\nH\tI\t0.25 extra\n#J K 0.1\nL M 1e-1x\n"
      "N O\nB P 0.3");
  testutil::writeFile(dir.file("in_int-1.txt"), "Q R 0.5\n");
  testutil::writeFile(dir.file("in_blast.txt"), "A Q 1e-20\n");
  Network network(2);
  testutil::captureStdout([&] { NetworkBuilder(&network, 1e-7, 0).readNetwork(dir.file("in")); });
  std::vector<std::string> expected;
  for (const Node* n : network.layer(0)) expected.push_back(n->m_name);
  fs::create_directories(dir.file("out/species_0"));
  fs::create_directories(dir.file("out/species_1"));
  const RunResults run(dir.file("out"), dir.file("in"));
  EXPECT_EQ(run.speciesNum(), 2u);
  EXPECT_EQ(run.readNetwork(0).names, expected);
  EXPECT_EQ(expected, (std::vector<std::string>{"A", "B", "H", "I", "L", "M", "P"}));
}

}  // namespace
