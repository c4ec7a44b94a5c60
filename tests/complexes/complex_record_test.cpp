#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/overlap_sweep.h"
#include "complexes/complexes_crawler.h"
#include "complexes_crawler_test_util.h"

using crawlertest::NetFixture;
using crawlertest::path;

namespace {

std::string printed(const std::function<void(FILE*)>& fn) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* f = open_memstream(&buf, &len);
  fn(f);
  fclose(f);
  std::string text(buf, len);
  free(buf);
  return text;
}

std::vector<std::string> names(const Complex& c, byte s) {
  std::vector<std::string> out;
  for (auto it = c.nodesBegin(s); it != c.nodesEnd(s); ++it) out.push_back((*it)->name());
  return out;
}

// Species 0: a1-a2 and a3-a4 interact; species 1: b1-b2 and b3-b4; a_i ~ b_i.
class ComplexRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 4; ++i) {
      a[i] = f.node("a" + std::to_string(i), 0);
      b[i] = f.node("b" + std::to_string(i), 1);
      f.sim(a[i], b[i]);
    }
    f.node("a_filler", 0);
    f.node("b_filler", 1);
    f.ppi(a[1], a[2]);
    f.ppi(a[3], a[4], 0.7);
    f.ppi(b[1], b[2]);
    f.ppi(b[3], b[4]);
    f.finalize();
  }
  weight_t pair(Node* x, Node* y) { return f.net.scoreNodesPair(x, y); }

  NetFixture f{2};
  Node* a[5];
  Node* b[5];
};

TEST_F(ComplexRecordTest, AddPathStoresTheGainNotTheCarriedScore) {
  Complex c(3, &f.net);
  EXPECT_EQ(c.getScore(), 0.0);
  EXPECT_EQ(c.size(), 0u);

  VPath first = path({a[1], b[1]}, 42.0);
  c.addPath(&first);
  EXPECT_EQ(c.getScore(), 0.0);  // nothing to score against yet
  EXPECT_EQ(c.paths()[0].score(), 0.0);

  VPath second = path({b[2], a[2]}, -7.0);  // node order inside a path does not matter
  c.addPath(&second);
  const weight_t gain2 = pair(a[2], a[1]) + pair(b[2], b[1]);
  EXPECT_GT(gain2, 0.0);
  EXPECT_DOUBLE_EQ(c.paths()[1].score(), gain2);
  EXPECT_DOUBLE_EQ(c.getScore(), gain2);

  // Shares a1: only a3 and b3 are new, a3 scores against a1 and a2.
  VPath third = path({a[1], b[3]});
  c.addPath(&third);
  VPath fourth = path({a[3], b[2]});
  c.addPath(&fourth);
  const weight_t gain3 = pair(b[3], b[1]) + pair(b[3], b[2]);
  const weight_t gain4 = pair(a[3], a[1]) + pair(a[3], a[2]);
  EXPECT_DOUBLE_EQ(c.paths()[2].score(), gain3);
  EXPECT_DOUBLE_EQ(c.paths()[3].score(), gain4);
  EXPECT_LT(gain3, 0.0);  // non-edges score negative
  EXPECT_NEAR(c.getScore(), gain2 + gain3 + gain4, 1e-12);
  EXPECT_NEAR(c.getScore(), crawlertest::naiveComplexScore(f.net, c), 1e-12);

  EXPECT_EQ(names(c, 0), (std::vector<std::string>{"a1", "a2", "a3"}));
  EXPECT_EQ(names(c, 1), (std::vector<std::string>{"b1", "b2", "b3"}));
  EXPECT_EQ(c.proteinsNum(), 6u);
}

TEST_F(ComplexRecordTest, PathOfKnownProteinsGainsNothingButIsStored) {
  Complex c(1, &f.net);
  VPath p1 = path({a[1], b[1]});
  VPath p2 = path({a[2], b[2]});
  c.addPath(&p1);
  c.addPath(&p2);
  const weight_t before = c.getScore();

  VPath again = path({a[2], b[1]}, 5.0);
  c.addPath(&again);
  EXPECT_EQ(c.size(), 3u);
  EXPECT_EQ(c.paths()[2].score(), 0.0);
  EXPECT_EQ(c.getScore(), before);
  EXPECT_EQ(names(c, 0), (std::vector<std::string>{"a1", "a2"}));
  EXPECT_EQ(c.proteinsNum(), 4u);

  // Copies are independent values that share the nodes.
  Complex copy = c;
  VPath p3 = path({a[3]});
  copy.addPath(&p3);
  EXPECT_EQ(c.size(), 3u);
  EXPECT_EQ(copy.size(), 4u);
  EXPECT_EQ(copy.paths()[0].m_nodes[0], a[1]);
}

TEST_F(ComplexRecordTest, OverlapIsOverTheSmallerComplexAndSymmetric) {
  Complex big(1, &f.net), small(2, &f.net), same(3, &f.net), other(4, &f.net), empty(5, &f.net);
  VPath p1 = path({a[1], b[1]}), p2 = path({a[2], b[2]}), p3 = path({a[3], b[3]}), p4 = path({a[4], b[4]});
  for (VPath* p : {&p1, &p2, &p3}) big.addPath(p);
  for (VPath* p : {&p3, &p2, &p1}) same.addPath(p);
  small.addPath(&p2);
  other.addPath(&p4);

  EXPECT_EQ(overlapRatio(big.proteinIds(), same.proteinIds()), 1.0);
  EXPECT_EQ(overlapRatio(big.proteinIds(), small.proteinIds()), 1.0);
  EXPECT_EQ(overlapRatio(small.proteinIds(), big.proteinIds()), 1.0);
  EXPECT_EQ(overlapRatio(big.proteinIds(), other.proteinIds()), 0.0);

  Complex half(6, &f.net);
  VPath mixed = path({a[1], b[4]});
  half.addPath(&mixed);
  EXPECT_EQ(overlapRatio(half.proteinIds(), big.proteinIds()), 0.5);
  EXPECT_EQ(overlapRatio(big.proteinIds(), half.proteinIds()), 0.5);
  EXPECT_EQ(overlapRatio(big.proteinIds(), empty.proteinIds()), 0.0);  // no NaN for an empty complex
}

TEST_F(ComplexRecordTest, FilesTextListsPathsAndSpeciesProteinsOnce) {
  // P1 (species 0) with Q1, then P2 with Q1 again.
  Complex c(7, &f.net);
  VPath p1 = path({a[1], b[1]}), p2 = path({a[2], b[1]});
  c.addPath(&p1);
  c.addPath(&p2);

  char line[64];
  snprintf(line, sizeof line, "# Score: %.1lf\n", c.getScore());
  EXPECT_EQ(printed([&](FILE* out) { c.fprint(out); }), std::string(line) + "a1,b1\na2,b1\n");

  snprintf(line, sizeof line, "# Score: %.1lf\n", pair(a[1], a[2]));
  EXPECT_EQ(printed([&](FILE* out) { c.fprint(0, out); }), std::string(line) + "a1\na2\n");
  EXPECT_EQ(printed([&](FILE* out) { c.fprint(1, out); }), "# Score: 0.0\nb1\n");
  EXPECT_EQ(printed([&](FILE* out) { c.fprint(2, out); }), "# Score: 0.0\n");
}

TEST_F(ComplexRecordTest, SpeciesScoreSumsEveryPairOnce) {
  Complex c(1, &f.net);
  VPath p1 = path({a[3], b[1]}), p2 = path({a[1]}), p3 = path({a[4]});
  c.addPath(&p1);
  c.addPath(&p2);
  c.addPath(&p3);
  const weight_t expected = pair(a[3], a[1]) + pair(a[3], a[4]) + pair(a[1], a[4]);
  char line[64];
  snprintf(line, sizeof line, "# Score: %.1lf\n", expected);
  EXPECT_EQ(printed([&](FILE* out) { c.fprint(0, out); }), std::string(line) + "a3\na1\na4\n");
}

TEST(ComplexListingTest, OrientationFlagsOnlyForThreeNodePaths) {
  NetFixture f(3);
  Node* x = f.node("x", 0);
  Node* y = f.node("y", 1);
  Node* z = f.node("z", 2);
  Node* x2 = f.node("x2", 0);
  Node* y2 = f.node("y2", 1);
  Node* z2 = f.node("z2", 2);
  f.ppi(x, x2);
  f.ppi(y, y2);
  f.ppi(z, z2);
  f.sim(x, y);  // 0-1
  f.sim(y, z);  // 1-2
  f.sim(x2, z2);
  f.sim(y2, z2);
  for (byte s = 0; s < 3; ++s) {
    for (int i = 0; i < 3; ++i) f.node("filler" + std::to_string(s) + std::to_string(i), s);
  }
  f.finalize();

  Complex c(12, &f.net);
  VPath chain = path({x, y, z}), star = path({x2, y2, z2}), pair = path({x, y});
  c.addPath(&chain);
  c.addPath(&star);
  c.addPath(&pair);

  char expected[512];
  snprintf(expected, sizeof expected,
           "Complex n 12:\n"
           "x--y--z (0.000000) \t1 0 0  (0-1-2, 1-0-2, 0-2-1)\n"
           "x2--y2--z2 (%f) \t0 0 1  (0-1-2, 1-0-2, 0-2-1)\n"
           "x--y (0.000000) \n"
           " %f\n",
           c.paths()[1].score(), c.getScore());
  EXPECT_EQ(printed([&](FILE* out) { c.dbg_print(out); }), expected);
}

}  // namespace
