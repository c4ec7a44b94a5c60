#include "orientation/orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace {

std::string printed(const VTree& t) {
  return testutil::captureStdout([&] { t.dbg_print(); });
}

// Builds the tree and returns everything the parser printed.
std::string buildOutput(VTree* t, const std::string& exp, bool* ok) {
  return testutil::captureStdout([&] { *ok = t->build(exp); });
}

// One copy per species, rooted there, re-rooting one working tree in turn.
std::vector<std::string> perSpeciesPrints(const std::string& exp, uint n) {
  VTree work;
  EXPECT_TRUE(work.build(exp));
  std::vector<std::string> out;
  for (uint s = 0; s < n; ++s) {
    EXPECT_TRUE(work.switchRoot(static_cast<byte>(s)));
    out.push_back(printed(*work.clone()));
  }
  return out;
}

TEST(VTreeTest, ParsesChainAndStar) {
  VTree chain;
  ASSERT_TRUE(chain.build("(0,(2,(1)))"));
  const VNode* r = chain.root();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->m_s, 0);
  EXPECT_EQ(r->mask(), 0x06u);
  ASSERT_EQ(r->children().size(), 1u);
  EXPECT_EQ(r->children()[0]->species(), 2);
  EXPECT_EQ(r->children()[0]->mask(), 0x02u);
  EXPECT_EQ(r->children()[0]->children()[0]->mask(), 0u);
  EXPECT_EQ(printed(chain), "+ (0)<06>\n`-+ (2)<02>\n  `-- (1)<00>\n");

  VTree star;
  ASSERT_TRUE(star.build("(0,(1),(2),(3))"));
  EXPECT_EQ(star.root()->mask(), 0x0Eu);
  EXPECT_EQ(printed(star), "+ (0)<0E>\n+-- (1)<00>\n+-- (2)<00>\n`-- (3)<00>\n");
}

TEST(VTreeTest, AcceptsLenientForms) {
  struct Case {
    const char* exp;
    const char* print;
  } cases[] = {
      {"(3)", "- (3)<00>\n"},
      {"(0,(1),)", "+ (0)<02>\n`-- (1)<00>\n"},
      {"(0 ,(1))", "+ (0)<02>\n`-- (1)<00>\n"},
      {"( 1,(0))", "+ (1)<01>\n`-- (0)<00>\n"},
      {"(0(1))", "- (0)<00>\n"},  // no separator: the inner text is only an id
      {"(9,(8,(7),(6)),(5))", "+ (9)<1E0>\n+-+ (8)<C0>\n  +-- (7)<00>\n  `-- (6)<00>\n`-- (5)<00>\n"},
  };
  for (const Case& c : cases) {
    VTree t;
    bool ok = false;
    EXPECT_EQ(buildOutput(&t, c.exp, &ok), "") << c.exp;
    EXPECT_TRUE(ok) << c.exp;
    EXPECT_EQ(printed(t), c.print) << c.exp;
  }
}

TEST(VTreeTest, ReportsEveryParseError) {
  const std::string failed = "ERROR: Failed parsing tree description string\n";
  const std::string nested = "ERROR: parsing error reported\n";
  struct Case {
    std::string exp;
    std::string out;
  } cases[] = {
      {"(0,)", "ERROR: duplicate node id detected: 0\n" + failed},
      {"(0,(0))", "ERROR: duplicate node id detected: 0\n" + failed},
      {"(0,(1,(0)))", "ERROR: duplicate node id detected: 0\n" + failed},
      {"(0,(1),(1))", "ERROR: duplicate node id detected: 1\n" + failed},
      {"(0,(1,(3)),(2,(3)))", "ERROR: duplicate node id detected: 3\n" + failed},
      {"(0,(1,(2,(1))))", "ERROR: duplicate node id detected: 1\n" + nested + failed},
      {"(0,1)", "ERROR: missing ()'s around the expression: 1\n" + nested + failed},
      {"(0,(1,(2,x)))", "ERROR: missing ()'s around the expression: x\n" + nested + nested + nested + failed},
      {"0,(1)", "ERROR: missing ()'s around the expression: 0,(1)\n" + failed},
      {"(0,(1)", "ERROR: Unblanced expression: (0,(1)[3..5]" + nested + failed},
      {"(12,(1))", "ERROR: Illegal specie id: (12,(1))[1..7]\n" + failed},
      {"(-1,(1))", "ERROR: Illegal specie id: (-1,(1))[1..7]\n" + failed},
      {"(256,(1))", "ERROR: Illegal specie id: (256,(1))[1..8]\n" + failed},
      {"(99999999999999999999999)", "ERROR: Illegal specie id: (99999999999999999999999)[1..24]\n" + failed},
      {"(0,(1)(2))", "ERROR: expecting a separator at: (0,(1)(2)):6\n" + failed},
      {"", "ERROR: expected non-empty expression. Got: [0..0]\n" + failed},
  };
  for (const Case& c : cases) {
    VTree t;
    bool ok = true;
    EXPECT_EQ(buildOutput(&t, c.exp, &ok), c.out) << c.exp;
    EXPECT_FALSE(ok) << c.exp;
    EXPECT_EQ(t.root(), nullptr) << c.exp;
  }
}

TEST(VTreeTest, MalformedInputNeverCrashes) {
  const char* inputs[] = {"()", "(", ")", "(,)", "((0),(1))", "(0,(1)),", "(0,(1)))", "(0,((1)))", "(+)"};
  for (const char* exp : inputs) {
    VTree t;
    bool ok = false;
    buildOutput(&t, exp, &ok);
    EXPECT_EQ(ok, t.root() != nullptr) << exp;
  }
}

TEST(VTreeTest, DeepNestingFailsQuickly) {
  // Eleven nested nodes must repeat a species; the parser stops there instead
  // of descending through the whole string.
  std::string exp;
  const int depth = 40000;
  for (int i = 0; i < depth; ++i) exp += "(" + std::to_string(i % 10) + ",";
  exp += "(0)";
  exp += std::string(depth, ')');
  VTree t;
  bool ok = true;
  std::string out = buildOutput(&t, exp, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(out.find("ERROR: duplicate node id detected: 0\n"), 0u);
  EXPECT_NE(out.find("Failed parsing tree description string"), std::string::npos);
}

TEST(VTreeTest, RebuildReplacesAndFailureEmpties) {
  VTree t;
  ASSERT_TRUE(t.build("(0,(1))"));
  ASSERT_TRUE(t.build("(1,(2),(0))"));
  EXPECT_EQ(t.root()->m_s, 1);
  bool ok = true;
  buildOutput(&t, "(1,(1))", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(t.root(), nullptr);
  EXPECT_EQ(printed(t), "");
}

TEST(VTreeTest, SwitchRootReversesThePath) {
  VTree t;
  ASSERT_TRUE(t.build("(0,(2,(1)))"));
  ASSERT_TRUE(t.switchRoot(1));
  EXPECT_EQ(printed(t), "+ (1)<05>\n`-+ (2)<01>\n  `-- (0)<00>\n");
  ASSERT_TRUE(t.switchRoot(1));  // already the root: nothing moves
  EXPECT_EQ(printed(t), "+ (1)<05>\n`-+ (2)<01>\n  `-- (0)<00>\n");

  std::string out = testutil::captureStdout([&] { EXPECT_FALSE(t.switchRoot(5)); });
  EXPECT_EQ(out, "ERROR: Tree::switchRoot()~ Node id not found: 5");
  EXPECT_EQ(printed(t), "+ (1)<05>\n`-+ (2)<01>\n  `-- (0)<00>\n");

  VTree empty;
  testutil::captureStdout([&] { EXPECT_FALSE(empty.switchRoot(0)); });
}

TEST(VTreeTest, PerSpeciesCopiesFollowTheRerootingSequence) {
  std::vector<std::string> chain = perSpeciesPrints("(0,(2,(1)))", 3);
  EXPECT_EQ(chain[0], "+ (0)<06>\n`-+ (2)<02>\n  `-- (1)<00>\n");
  EXPECT_EQ(chain[1], "+ (1)<05>\n`-+ (2)<01>\n  `-- (0)<00>\n");
  EXPECT_EQ(chain[2], "+ (2)<03>\n+-- (0)<00>\n`-- (1)<00>\n");

  std::vector<std::string> star = perSpeciesPrints("(0,(1),(2),(3))", 4);
  EXPECT_EQ(star[0], "+ (0)<0E>\n+-- (1)<00>\n+-- (2)<00>\n`-- (3)<00>\n");
  EXPECT_EQ(star[1], "+ (1)<0D>\n`-+ (0)<0C>\n  +-- (2)<00>\n  `-- (3)<00>\n");
  EXPECT_EQ(star[2], "+ (2)<0B>\n`-+ (0)<0A>\n  +-- (3)<00>\n  `-- (1)<00>\n");
  EXPECT_EQ(star[3], "+ (3)<07>\n`-+ (0)<06>\n  +-- (1)<00>\n  `-- (2)<00>\n");
}

TEST(VTreeTest, ClonesAreIndependentDeepCopies) {
  VTree t;
  ASSERT_TRUE(t.build("(0,(1,(3)),(2))"));
  std::unique_ptr<VTree> copy = t.clone();
  const std::string before = printed(t);
  EXPECT_EQ(printed(*copy), before);
  EXPECT_NE(copy->root(), t.root());
  EXPECT_NE(copy->root()->children()[0], t.root()->children()[0]);

  ASSERT_TRUE(t.switchRoot(3));
  EXPECT_EQ(printed(*copy), before);

  VTree empty;
  EXPECT_EQ(empty.clone()->root(), nullptr);
}

TEST(VNodeTest, MaskUnitesChildrenAndMarksOwnSpecies) {
  VNode ok(0, {new VNode(1, {}), new VNode(4, {new VNode(2, {})})});
  EXPECT_EQ(ok.mask(), 0x16u);
  VNode dup(2, {new VNode(1, {}), new VNode(3, {new VNode(2, {})})});
  EXPECT_EQ(dup.mask(), 0u);
  std::unique_ptr<VNode> copy = ok.clone();
  EXPECT_EQ(copy->mask(), 0x16u);
  EXPECT_EQ(copy->children().size(), 2u);
}

}  // namespace
