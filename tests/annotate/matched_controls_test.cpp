// The matched controls of trellis2-annotate: random connected groups of the
// parts' sizes, reproducible from the seed alone; and their columns in the
// tables of an annotated demo run, the same on any number of threads.
#include "tools/annotate/matched_controls.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "report/report_checks.h"
#include "test_util.h"
#include "tools/annotate/connected_draw.h"

using testutil::readFile;
using testutil::TempDir;

namespace {

// A network of the named proteins ("a-b" interactions), numbered in order of appearance.
NetworkProteins network(const std::vector<std::string>& links, const std::vector<std::string>& loners = {}) {
  NetworkProteins net;
  std::map<std::string, uint32_t> ids;
  const auto id = [&](const std::string& name) {
    if (ids.emplace(name, ids.size()).second) {
      net.names.push_back(name);
      net.set.insert(name);
    }
    return ids[name];
  };
  for (const std::string& link : links) {
    const size_t dash = link.find('-');
    const uint32_t a = id(link.substr(0, dash));
    net.interactions.emplace_back(a, id(link.substr(dash + 1)));
  }
  for (const std::string& name : loners) id(name);
  return net;
}

// Two triangles joined by a path, a separate pair, and a lone protein: components of 8, 2 and 1.
NetworkProteins twoTriangles() {
  return network({"a-b", "b-c", "c-a", "c-d", "d-e", "e-f", "f-g", "g-h", "h-f", "x-y"}, {"z"});
}

RunComplex complexOf(unsigned id, const std::vector<std::string>& proteins) {
  RunComplex c;
  c.id = id;
  c.proteins.push_back(proteins);
  return c;
}

TEST(MatchedControlsTest, GroupsHaveThePartsSizeAreConnectedAndFollowTheSeed) {
  const NetworkProteins net = twoTriangles();
  const std::vector<RunComplex> complexes = {
      complexOf(3, {"a", "b", "c", "d"}), complexOf(7, {"x", "y"}), complexOf(9, {"a", "x", "z"}),
      complexOf(12, {"a", "b", "c", "d", "e", "f", "g", "h", "x"}), complexOf(14, {})};
  const MatchedControls controls(net, complexes, 0, 50, 17);
  ASSERT_EQ(controls.parts().size(), complexes.size());
  EXPECT_EQ(controls.undrawable(), 1u) << "9 proteins, the largest component has 8";
  for (size_t c = 0; c < 3; ++c) {
    const PartControls& p = controls.parts()[c];
    ASSERT_EQ(p.groups.size(), 50u);
    for (const std::vector<uint32_t>& g : p.groups) {
      EXPECT_EQ(std::set<uint32_t>(g.begin(), g.end()).size(), p.part.size());
      EXPECT_TRUE(controls.graph().connected(g));
    }
  }
  EXPECT_TRUE(controls.parts()[0].connected);
  EXPECT_FALSE(controls.parts()[2].connected);
  EXPECT_DOUBLE_EQ(controls.parts()[0].density, 4.0 / 6);
  EXPECT_TRUE(controls.parts()[3].groups.empty());
  EXPECT_TRUE(controls.parts()[4].groups.empty());
  EXPECT_FALSE(controls.parts()[4].undrawable()) << "an empty part needs no control";

  // A draw depends on (seed, complex id, species, draw) only: the same alone, in another run.
  const MatchedControls alone(net, {complexes[2]}, 0, 50, 17);
  EXPECT_EQ(alone.parts()[0].groups, controls.parts()[2].groups);
  DrawRandom random(17, 9, 0, 49);
  EXPECT_EQ(drawConnectedGroup(controls.graph(), 3, random), controls.parts()[2].groups[49]);
  const MatchedControls otherSeed(net, complexes, 0, 50, 18);
  EXPECT_NE(otherSeed.parts()[0].groups, controls.parts()[0].groups);
}

// Start uniform, then a uniform frontier protein: on the path a-b-c-d pairs come as 3/8, 1/4, 3/8.
TEST(MatchedControlsTest, DrawFollowsItsDefinitionOnAPath) {
  const SpeciesGraph graph(network({"a-b", "b-c", "c-d"}));
  std::map<std::set<uint32_t>, int> seen;
  const std::set<uint32_t> ab{0, 1}, bc{1, 2}, cd{2, 3};
  const int draws = 8000;
  for (int d = 0; d < draws; ++d) {
    DrawRandom random(1, 1, 0, d);
    const std::vector<uint32_t> g = drawConnectedGroup(graph, 2, random);
    ++seen[std::set<uint32_t>(g.begin(), g.end())];
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_NEAR(seen[ab] / double(draws), 0.375, 0.02);
  EXPECT_NEAR(seen[bc] / double(draws), 0.25, 0.02);
  EXPECT_NEAR(seen[cd] / double(draws), 0.375, 0.02);
}

const std::string DEMO = std::string(TEST_DATA_DIR) + "/../../examples/demo";
const std::string DATA = std::string(TEST_DATA_DIR) + "/annotate/";

std::vector<std::map<std::string, std::string>> table(const std::string& path) {
  std::string problem;
  auto rows = reportcheck::readTsv(readFile(path), &problem);
  EXPECT_EQ(problem, "") << path;
  return rows;
}

testutil::RunResult annotate(const std::string& out, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {out,
                                   "--obo",
                                   DATA + "demo_go.obo",
                                   "--gaf",
                                   "0=" + DATA + "demo_go_0.gaf",
                                   "--reference",
                                   "1=" + DATA + "demo_ref_1.tsv"};
  args.insert(args.end(), extra.begin(), extra.end());
  return testutil::runAnnotate(args);
}

TEST(MatchedControlsTest, TablesGainControlColumnsThatAgreeAndDoNotDependOnThreads) {
  TempDir dir;
  ASSERT_EQ(testutil::runTrellis({"3", DEMO, "out"}, dir.path()).status, 0);
  const std::string out = dir.file("out");

  const testutil::RunResult plain = annotate(out, {});
  ASSERT_EQ(plain.status, 0) << plain.errors;
  const auto bare = table(out + "/function_summary.tsv");
  ASSERT_EQ(bare.size(), 1u);
  EXPECT_EQ(bare[0].at("controls"), "0");
  EXPECT_EQ(bare[0].at("control_coherent_fraction"), "");
  EXPECT_EQ(table(out + "/reference_match.tsv")[0].at("control_MMR"), "");
  EXPECT_FALSE(testutil::fileExists(out + "/controls.tsv"));
  EXPECT_NE(readFile(out + "/report.html").find("No matched control was drawn"), std::string::npos);

  std::map<std::string, std::string> files;
  for (const char* threads : {"1", "2"}) {
    const testutil::RunResult r = annotate(out, {"--controls", "30", "--seed", "5", "--threads", threads});
    ASSERT_EQ(r.status, 0) << r.errors;
    for (const char* name : {"function_summary.tsv", "reference_match.tsv", "controls.tsv"}) {
      const std::string text = readFile(out + "/" + name);
      if (files.count(name)) {
        EXPECT_EQ(text, files[name]) << name << " differs on " << threads << " threads";
      }
      files[name] = text;
    }
  }
  // The existing columns first, unchanged; then the controls.
  EXPECT_EQ(files["function_summary.tsv"].substr(0, files["function_summary.tsv"].find('\n')),
            "species\tcomplexes\tcoherent\tcoherent_fraction\tterms\tcontrols\tcontrol_complexes\t"
            "control_coherent\tcontrol_coherent_fraction\tundrawable_parts");
  const auto summary = table(out + "/function_summary.tsv");
  EXPECT_EQ(summary[0].at("complexes"), bare[0].at("complexes"));
  EXPECT_EQ(summary[0].at("coherent_fraction"), bare[0].at("coherent_fraction"));
  EXPECT_EQ(summary[0].at("controls"), "30");
  size_t tested = 0, coherent = 0, parts = 0;
  for (const auto& row : table(out + "/controls.tsv")) {
    EXPECT_EQ(row.at("controls"), "30");
    if (row.at("species") != "0") {
      EXPECT_EQ(row.at("control_coherent"), "") << "species 1 has no annotations";
      continue;
    }
    ++parts;
    tested += std::stoul(row.at("control_complexes"));
    coherent += std::stoul(row.at("control_coherent"));
  }
  EXPECT_EQ(parts, std::stoul(summary[0].at("complexes")));
  EXPECT_EQ(summary[0].at("control_complexes"), std::to_string(tested));
  EXPECT_EQ(summary[0].at("control_coherent"), std::to_string(coherent));
  EXPECT_NEAR(std::stod(summary[0].at("control_coherent_fraction")), double(coherent) / tested, 1e-6);
  EXPECT_LT(std::stod(summary[0].at("control_coherent_fraction")),
            std::stod(summary[0].at("coherent_fraction")))
      << "the planted complexes carry their own terms, random groups do not";
  const auto known = table(out + "/reference_match.tsv");
  EXPECT_LT(std::stod(known[0].at("control_MMR")), std::stod(known[0].at("MMR")));
  const std::string report = readFile(out + "/report.html");
  EXPECT_NE(report.find("control fraction"), std::string::npos);
  EXPECT_NE(report.find("30 random groups of as many distinct proteins"), std::string::npos);

  // The controls alone: every species' parts and controls, and the report left as it was.
  const testutil::RunResult alone = testutil::runAnnotate({out, "--controls", "3"});
  ASSERT_EQ(alone.status, 0) << alone.errors;
  std::set<std::string> species;
  for (const auto& row : table(out + "/controls.tsv")) species.insert(row.at("species"));
  EXPECT_EQ(species, (std::set<std::string>{"0", "1", "2"}));
  EXPECT_EQ(readFile(out + "/report.html"), report);

  const testutil::RunResult bad = annotate(out, {"--controls", "-1"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.errors.find("--controls '-1': expected a whole number in [0, 100000]"), std::string::npos)
      << bad.errors;
}

}  // namespace
