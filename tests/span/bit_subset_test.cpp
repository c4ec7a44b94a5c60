#include "span/bit_subset.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace {

// One split as (x, below x, kept by the anchor).
typedef std::tuple<int, uint, uint> split_t;

uint bits(std::initializer_list<int> members) {
  uint m = 0;
  for (int s : members) m |= 1u << s;
  return m;
}

template <class Gen>
std::vector<split_t> splitsOf(Gen G) {
  std::vector<split_t> out;
  byte x;
  Gen G1, G2;
  while (G.next(&x, &G1, &G2)) out.emplace_back(x, G1.mask(), G2.mask());
  return out;
}

TEST(BitSubsetTest, YieldsNonEmptySubsetsInIncreasingOrderThenZero) {
  bit_subset b;
  b.first(bits({0, 1, 3}));
  std::vector<uint> seen;
  for (uint u = b.next(); u != 0; u = b.next()) seen.push_back(u);
  EXPECT_EQ(seen, (std::vector<uint>{1, 2, 3, 8, 9, 10, 11}));
  EXPECT_EQ(b.next(), 1u);  // starts over after the empty set

  b.first(0);
  EXPECT_EQ(b.next(), 0u);
  EXPECT_EQ(ZLS(0), 0u);
  EXPECT_EQ(ZLS(bits({2, 5})), bits({5}));
}

TEST(SpecSetsPathsGenTest, EachMemberJoinsOnceWithEverythingBelowIt) {
  EXPECT_EQ(splitsOf(SpecSetsPathsGen(bits({1, 3}), 0)),
            (std::vector<split_t>{{1, bits({3}), 0}, {3, bits({1}), 0}}));

  SpecSetsPathsGen G(bits({1, 3}), 4), G1, G2;
  byte x;
  ASSERT_TRUE(G.next(&x, &G1, &G2));
  EXPECT_EQ(G1.depth(), 5u);
  EXPECT_EQ(G2.depth(), 5u);
  EXPECT_EQ(G.mask(), bits({1, 3}));  // advancing does not change the set
}

TEST(SpecSetsTreesGenTest, SmallSetsInOrder) {
  EXPECT_EQ(splitsOf(SpecSetsTreesGen(bits({4}))), (std::vector<split_t>{{4, 0, 0}}));
  // (a, {}, {b}) is never produced: it is the same tree as (b, {}, {a}) seen from the other side.
  EXPECT_EQ(splitsOf(SpecSetsTreesGen(bits({2, 5}))),
            (std::vector<split_t>{{2, bits({5}), 0}, {5, 0, bits({2})}, {5, bits({2}), 0}}));
  EXPECT_EQ(splitsOf(SpecSetsTreesGen(bits({0, 1, 2}))), (std::vector<split_t>{{0, bits({1}), bits({2})},
                                                                               {0, bits({1, 2}), 0},
                                                                               {1, bits({2}), bits({0})},
                                                                               {1, bits({0}), bits({2})},
                                                                               {1, 0, bits({0, 2})},
                                                                               {1, bits({0, 2}), 0},
                                                                               {2, bits({1}), bits({0})},
                                                                               {2, bits({0}), bits({1})},
                                                                               {2, 0, bits({0, 1})},
                                                                               {2, bits({0, 1}), 0}}));
}

TEST(SpecSetsTreesGenTest, SplitsPartitionTheSetWithoutRepeats) {
  for (uint S : {bits({0, 3, 7, 9}), bits({1, 2, 4, 5, 6}), (1u << MAX_SPECIES) - 1}) {
    const std::vector<split_t> splits = splitsOf(SpecSetsTreesGen(S));
    EXPECT_EQ(std::set<split_t>(splits.begin(), splits.end()).size(), splits.size());
    for (const split_t& sp : splits) {
      const uint xbit = 1u << std::get<0>(sp), S1 = std::get<1>(sp), S2 = std::get<2>(sp);
      EXPECT_EQ(xbit & S1, 0u);
      EXPECT_EQ(xbit & S2, 0u);
      EXPECT_EQ(S1 & S2, 0u);
      EXPECT_EQ(xbit | S1 | S2, S);
    }
  }
}

// Skipping the rest of a member's turn leaves exactly the splits of the later
// members, whichever split of the turn it comes after.
TEST(SpecSetsTreesGenTest, SkippedTurnsLeaveTheLaterMembersSplits) {
  for (uint S : {bits({0, 1}), bits({1, 2, 4}), bits({0, 2, 3, 5, 6})}) {
    const std::vector<split_t> all = splitsOf(SpecSetsTreesGen(S));
    for (size_t at = 0; at < all.size(); ++at) {
      SpecSetsTreesGen G(S), G1, G2;
      byte x = 0;
      for (size_t i = 0; i <= at; ++i) ASSERT_TRUE(G.next(&x, &G1, &G2));
      G.skipTurn(x);
      std::vector<split_t> want;
      for (const split_t& s : all)
        if (std::get<0>(s) > x) want.push_back(s);
      EXPECT_EQ(splitsOf(G), want) << S << " after split " << at;
    }
  }
}

TEST(SpecSetsTreesGenTest, BranchGoesOneLevelDeeperAnchorStays) {
  SpecSetsTreesGen G(bits({0, 1, 2})), G1, G2, H1, H2;
  byte x;
  ASSERT_TRUE(G.next(&x, &G1, &G2));
  EXPECT_EQ(G.depth(), 0u);
  EXPECT_EQ(G1.depth(), 1u);
  EXPECT_EQ(G2.depth(), 0u);
  ASSERT_TRUE(G1.next(&x, &H1, &H2));
  EXPECT_EQ(H1.depth(), 2u);
  EXPECT_EQ(H2.depth(), 1u);
}

// Builds a node owning the given children.
VNode* node(byte s, std::vector<VNode*> children = {}) { return new VNode(s, children); }

TEST(SpecRestrictedTreesGenTest, OneSplitPerChildInStoredOrder) {
  // 0 with children 3 (which has child 1) and 2.
  std::unique_ptr<VNode> root(node(0, {node(3, {node(1)}), node(2)}));
  SpecRestrictedTreesGen G(root.get()), G1, G2, H1, H2;
  EXPECT_EQ(G.mask(), bits({1, 2, 3}));
  byte x;
  ASSERT_TRUE(G.next(&x, &G1, &G2));
  EXPECT_EQ(x, 3);
  EXPECT_EQ(G1.mask(), bits({1}));
  EXPECT_EQ(G2.mask(), bits({2}));
  EXPECT_EQ(G1.depth(), 1u);
  EXPECT_EQ(G2.depth(), 0u);
  EXPECT_FALSE(G.next(&x, &H1, &H2));

  // The anchor side continues with the second child, then is empty.
  ASSERT_TRUE(G2.next(&x, &H1, &H2));
  EXPECT_EQ(x, 2);
  EXPECT_EQ(H1.mask(), 0u);
  EXPECT_EQ(H2.mask(), 0u);
  EXPECT_FALSE(G2.next(&x, &H1, &H2));

  // The branch side follows the child's own children.
  EXPECT_EQ(splitsOf(G1), (std::vector<split_t>{{1, 0, 0}}));
}

TEST(SpecRestrictedTreesGenTest, LeafWithMaskFromMalformedTreeYieldsNothing) {
  std::unique_ptr<VNode> leaf(node(2));
  EXPECT_EQ(SpecRestrictedTreesGen(leaf.get()).mask(), 0u);
  // A restricted generator on a leaf that still claims species to span.
  struct Probe : SpecRestrictedTreesGen {
    Probe(const VNode* n) { init(n, 0, 0, bits({1})); }
  } G(leaf.get());
  byte x;
  SpecRestrictedTreesGen G1, G2;
  EXPECT_FALSE(G.next(&x, &G1, &G2));
}

TEST(SpecRestrictedTreesGenTest, ReproducesTheOrientationTree) {
  // Root 1 -> 2 -> 0 as after re-rooting "(0,(2,(1)))" at 1.
  std::unique_ptr<VNode> root(node(1, {node(2, {node(0)})}));
  EXPECT_EQ(splitsOf(SpecRestrictedTreesGen(root.get())), (std::vector<split_t>{{2, bits({0}), 0}}));
}

}  // namespace
