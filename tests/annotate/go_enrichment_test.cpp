// GO enrichment on hand-made samples (tests/data/annotate/mini.*): the ontology
// and annotation rules, and enrichment rows computed by hand.
#include "tools/annotate/go_enrichment.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "test_util.h"
#include "tools/annotate/gaf_annotations.h"
#include "tools/annotate/go_ontology.h"
#include "tools/annotate/go_population.h"
#include "tools/annotate/log_factorials.h"
#include "tools/common/tool_error.h"

namespace {

const std::string DATA = std::string(TEST_DATA_DIR) + "/annotate/";

std::vector<std::string> ids(const GoOntology& go, const std::vector<int>& terms) {
  std::vector<std::string> out;
  for (int t : terms) out.push_back(go.id(t));
  std::sort(out.begin(), out.end());
  return out;
}

class MiniGoTest : public ::testing::Test {
 protected:
  MiniGoTest() : go(DATA + "mini.obo"), gaf(DATA + "mini.gaf", go) {}
  std::vector<std::string> propagated(const std::string& protein) const {
    GoPopulation population(go, gaf, {protein});
    const std::vector<int>* terms = population.termsOf(protein);
    return terms ? ids(go, *terms) : std::vector<std::string>{};
  }
  GoOntology go;
  GafAnnotations gaf;
};

TEST_F(MiniGoTest, OntologyKeepsCurrentTermsWithAltIdsAndBothLinkKinds) {
  EXPECT_EQ(go.size(), 6u);
  EXPECT_EQ(go.obsoleteCount(), 1u);
  EXPECT_EQ(go.find("GO:0000005"), GoOntology::NONE);
  EXPECT_TRUE(go.isObsolete("GO:0000005"));
  ASSERT_NE(go.find("GO:0000099"), GoOntology::NONE);
  EXPECT_EQ(go.id(go.find("GO:0000099")), "GO:0000002");
  const int a1 = go.find("GO:0000002");
  EXPECT_EQ(go.name(a1), "process A1 \"first\"");
  EXPECT_EQ(go.aspect(a1), "P");
  EXPECT_EQ(ids(go, go.withAncestors(a1)),
            (std::vector<std::string>{"GO:0000001", "GO:0000002", "GO:0008150"}));
  // part_of counts like is_a.
  EXPECT_EQ(ids(go, go.withAncestors(go.find("GO:0000004"))),
            (std::vector<std::string>{"GO:0000003", "GO:0000004", "GO:0005575"}));
  EXPECT_TRUE(go.isRoot(go.find("GO:0005575")));
  EXPECT_FALSE(go.isRoot(go.find("GO:0000003")));
}

TEST_F(MiniGoTest, ProteinsTakeIdRowsThenSymbolRowsThenSynonymRowsAfterNotRowsAreDropped) {
  EXPECT_EQ(gaf.rows(), 12u);
  EXPECT_EQ(gaf.notRows(), 2u);
  EXPECT_EQ(gaf.obsoleteRows(), 1u);
  EXPECT_EQ(gaf.unknownRows(), 1u);
  // p1 is an object id and a symbol: only the id row counts.
  EXPECT_EQ(propagated("p1"), (std::vector<std::string>{"GO:0000001", "GO:0000002", "GO:0008150"}));
  EXPECT_EQ(propagated("p2"), propagated("p1")) << "an alt_id annotates its term";
  // p3 is a symbol and a synonym: only the symbol row counts.
  EXPECT_EQ(propagated("p3"), (std::vector<std::string>{"GO:0000003", "GO:0000004", "GO:0005575"}));
  EXPECT_EQ(propagated("p4"), propagated("p3")) << "a synonym match";
  EXPECT_EQ(propagated("p5"), (std::vector<std::string>{"GO:0000003", "GO:0005575"}))
      << "its NOT row is gone";
  for (const char* none : {"p6", "p7", "p8", "p10"})
    EXPECT_EQ(propagated(none), std::vector<std::string>{}) << none;
  EXPECT_EQ(propagated("p9"), std::vector<std::string>{"GO:0008150"}) << "a root annotation is an annotation";
  EXPECT_EQ(propagated("S1"), propagated("p1")) << "S1 is the symbol of p1's row";
}

TEST_F(MiniGoTest, EnrichmentRowsMatchHandComputedValues) {
  const GoPopulation population(go, gaf, {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"});
  ASSERT_EQ(population.size(), 6u);  // p1 p2 p3 p4 p5 p9
  EXPECT_EQ(population.byObjectId(), 4u);
  EXPECT_EQ(population.bySymbol(), 1u);
  EXPECT_EQ(population.bySynonym(), 1u);

  // p6 is outside the population; the root (k = 2) is never tested. P(X >= 2) for
  // N 6, K 2, n 3: C(2,2) C(4,1) / C(6,3) = 4/20; two tests, so corrected 0.4.
  ComplexEnrichment e = enrichComplex(go, population, {"p1", "p2", "p3", "p6"});
  EXPECT_EQ(e.n, 3u);
  EXPECT_EQ(e.N, 6u);
  ASSERT_EQ(e.tests.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(go.id(e.tests[i].term), i == 0 ? "GO:0000001" : "GO:0000002") << "equal p: term id order";
    EXPECT_EQ(e.tests[i].k, 2u);
    EXPECT_EQ(e.tests[i].K, 2u);
    EXPECT_NEAR(e.tests[i].p, 0.2, 1e-15);
    EXPECT_NEAR(e.tests[i].correctedP, 0.4, 1e-15);
  }
  EXPECT_FALSE(e.coherent());

  // n 4: complex C k 3 of K 3: C(3,3) C(3,1) / C(6,4) = 3/15; its part k 2 of K 2: C(4,2) / 15.
  e = enrichComplex(go, population, {"p3", "p4", "p5", "p9"});
  ASSERT_EQ(e.tests.size(), 2u);
  EXPECT_EQ(go.id(e.tests[0].term), "GO:0000003");
  EXPECT_NEAR(e.tests[0].p, 0.2, 1e-15);
  EXPECT_NEAR(e.tests[0].correctedP, 0.4, 1e-15);
  EXPECT_EQ(go.id(e.tests[1].term), "GO:0000004");
  EXPECT_NEAR(e.tests[1].p, 0.4, 1e-15);
  EXPECT_NEAR(e.tests[1].correctedP, 0.8, 1e-15);

  e = enrichComplex(go, population, {"p1", "p9", "p6"});
  EXPECT_EQ(e.n, 2u);
  EXPECT_TRUE(e.tests.empty()) << "only the root is shared";
}

// The coherence test of the matched controls skips tails that cannot reach the threshold; it
// must decide as the full enrichment does, on groups from all of one planted complex to all random.
TEST(CoherenceShortcutTest, DecidesAsTheFullEnrichment) {
  const GoOntology go(DATA + "demo_go.obo");
  const GafAnnotations gaf(DATA + "demo_go_0.gaf", go);
  std::vector<std::string> network;
  for (int i = 0; i < 300; ++i) network.push_back("a" + std::to_string(i));
  const GoPopulation population(go, gaf, network);
  const LogFactorials logFactorials(population.size());
  // The members of the demo's first planted complex in species 0 (examples/demo_truth.txt).
  const std::vector<std::string> planted = {"a176", "a209", "a56", "a13", "a60"};
  std::mt19937 rng(7);
  size_t coherent = 0, groups = 0;
  for (size_t fromPlanted = 0; fromPlanted <= planted.size(); ++fromPlanted) {
    for (int draw = 0; draw < 200; ++draw) {
      std::vector<std::string> group(planted.begin(), planted.begin() + fromPlanted);
      const size_t size = fromPlanted + rng() % 12;
      while (group.size() < size) group.push_back(network[rng() % network.size()]);
      unsigned n = 0;
      const ComplexEnrichment full = enrichComplex(go, population, group);
      ASSERT_EQ(isCoherent(go, population, logFactorials, group, &n), full.coherent())
          << ::testing::PrintToString(group);
      EXPECT_EQ(n, full.n);
      coherent += full.coherent();
      ++groups;
    }
  }
  EXPECT_GT(coherent, groups / 10);
  EXPECT_LT(coherent, groups * 9 / 10);
}

std::string errorOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const ToolError& e) {
    return e.what();
  }
  return "";
}

TEST(GoInputErrorsTest, NameTheFileTheLineAndTheValue) {
  testutil::TempDir dir;
  const std::string obo = dir.file("bad.obo");
  testutil::writeFile(obo, "format-version: 1.2\n\n[Term]\nid: GO:1\nname: x\nthis line has no tag\n");
  EXPECT_EQ(errorOf([&] { GoOntology go(obo); }),
            obo + ":6: expected 'tag: value' or a [stanza] line, found 'this line has no tag'");
  testutil::writeFile(obo, "[Term]\nid: GO:1\n\n[Term]\nid: GO:1\n");
  EXPECT_EQ(errorOf([&] { GoOntology go(obo); }), obo + ":4: term 'GO:1' is defined twice");
  testutil::writeFile(obo, "[Term]\nname: nameless\n[Term]\nid: GO:1\n");
  EXPECT_EQ(errorOf([&] { GoOntology go(obo); }).rfind(obo + ":1: [Term] without an id", 0), 0u);

  const GoOntology go(DATA + "mini.obo");
  const std::string gaf = dir.file("bad.gaf");
  testutil::writeFile(gaf, "!gaf-version: 2.2\nUniProtKB\tP1\tS1\tenables\tGO:0000001\n");
  EXPECT_EQ(
      errorOf([&] { GafAnnotations a(gaf, go); }),
      gaf + ":2: 5 tab-separated columns, a GAF row has 15 to 17: 'UniProtKB\tP1\tS1\tenables\tGO:0000001'");
  EXPECT_EQ(errorOf([&] { GafAnnotations a(dir.file("missing.gaf"), go); }),
            dir.file("missing.gaf") + ": cannot open: No such file or directory");
}

}  // namespace
