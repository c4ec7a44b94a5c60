// The interaction model: statistics, expected degrees, pair scores and the
// adjacency queries of a finalised network.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "network/network.h"
#include "network_builders.h"
#include "test_util.h"

using testutil::captureStdout;

using testutil::link;

namespace {

// Four proteins, interactions a-b and c-d of weight 0.5.
void buildFour(Network& net, byte spec = 0) {
  const std::string p = spec == 0 ? "" : "s" + std::to_string(spec) + "_";
  Node* a = net.createNode((p + "a").c_str(), spec);
  Node* b = net.createNode((p + "b").c_str(), spec);
  Node* c = net.createNode((p + "c").c_str(), spec);
  Node* d = net.createNode((p + "d").c_str(), spec);
  link(a, b, 0.5);
  link(c, d, 0.5);
}

// Runs finalize and expects an Error of status 253 whose message starts and
// ends as given, after a console that starts as given.
void expectModelFailure(Network& net, double beta, const weight_t* tf, const std::string& consoleStart,
                        const std::string& messageStart, const std::string& messageEnd = "\n") {
  const testutil::Thrown t = testutil::errorOf([&] { net.finalize(beta, tf); });
  EXPECT_EQ(t.status, 253);
  EXPECT_EQ(t.console.compare(0, consoleStart.size(), consoleStart), 0) << t.console;
  EXPECT_EQ(t.message.compare(0, messageStart.size(), messageStart), 0) << t.message;
  ASSERT_GE(t.message.size(), messageEnd.size());
  EXPECT_EQ(t.message.substr(t.message.size() - messageEnd.size()), messageEnd) << t.message;
}

}  // namespace

TEST(NetworkModelTest, FourProteinExample) {
  Network net(1);
  buildFour(net);
  const weight_t tf[] = {2.0};
  EXPECT_EQ(captureStdout([&] { net.finalize(0.8, tf); }),
            "S#0>     4 genes; 2 PPI; TF: 2.0 p_true: 0.33333, p_o: 0.33333, p_te: 0.25000, E-PPI: 2\n");
  const sstat_t& st = net.netStats()[0];
  EXPECT_EQ(st.numGenes, 4u);
  EXPECT_DOUBLE_EQ(st.trueFact, 2.0);
  EXPECT_DOUBLE_EQ(st.probTrue, 1.0 / 3);
  EXPECT_DOUBLE_EQ(st.probTE, 0.25);
  EXPECT_DOUBLE_EQ(st.eTotalWeight, 2.0);

  Node* a = net.getNodeByName("a");
  Node* b = net.getNodeByName("b");
  Node* c = net.getNodeByName("c");
  Node* d = net.getNodeByName("d");
  for (const Node* n : {a, b, c, d}) EXPECT_EQ(n->getExpDegree(), 1u);

  const double edge = std::log(0.3 / (2.0 / 9));
  EXPECT_NEAR(edge, 0.30010, 1e-5);
  EXPECT_DOUBLE_EQ(a->getD1()[0].score, edge);
  EXPECT_DOUBLE_EQ(b->getD1()[0].score, edge);
  EXPECT_DOUBLE_EQ(d->getD1()[0].score, edge);
  EXPECT_DOUBLE_EQ(net.scoreNodesPair(b, a), edge);

  const double nonEdge = std::log((0.55 / 3) / (2.0 / 9));
  EXPECT_NEAR(nonEdge, -0.19237, 1e-5);
  EXPECT_DOUBLE_EQ(net.scoreNonEdge(a, c), nonEdge);
  // Symmetric, and shared by every pair with the same expected degrees.
  EXPECT_EQ(net.scoreNonEdge(c, a), net.scoreNonEdge(a, c));
  EXPECT_EQ(net.scoreNonEdge(b, d), net.scoreNonEdge(a, c));
  EXPECT_EQ(net.scoreNodesPair(d, a), net.scoreNonEdge(a, c));
}

TEST(NetworkModelTest, EachSpeciesHasItsOwnModelLine) {
  Network net(2);
  buildFour(net, 0);
  Node* x = net.createNode("x", 1);
  Node* y = net.createNode("y", 1);
  Node* z = net.createNode("z", 1);
  link(x, y, 1.0);
  link(y, z, 0.5);
  const weight_t tf[] = {2.0, 1.0};
  EXPECT_EQ(captureStdout([&] { net.finalize(0.8, tf); }),
            "S#0>     4 genes; 2 PPI; TF: 2.0 p_true: 0.33333, p_o: 0.33333, p_te: 0.25000, E-PPI: 2\n"
            "S#1>     3 genes; 2 PPI; TF: 1.0 p_true: 0.50000, p_o: 0.66667, p_te: 0.00000, E-PPI: 2\n");
  // Expected degree of y: (3 - 2 - 1) * 0 + 1.5 + 0.5 = 2; x: (3-1-1)*0 + 1 + 0.5 -> 1.
  EXPECT_EQ(y->getExpDegree(), 2u);
  EXPECT_EQ(x->getExpDegree(), 1u);
  EXPECT_EQ(z->getExpDegree(), 1u);
}

TEST(NetworkModelTest, IllegalModelsStopTheRunInCheckOrder) {
  {
    // A true factor below 1 with positive weights makes p_te negative.
    Network net(1);
    buildFour(net);
    const weight_t tf[] = {0.5};
    expectModelFailure(net, 0.8, tf, "",
                       "Illegal model configuration detected. Illegal p_te value: -0.125000 (should be in [0..1])\n");
  }
  {
    // With zero weights p_true and p_te pass and the true factor itself is checked.
    Network net(1);
    Node* a = net.createNode("a", 0);
    Node* b = net.createNode("b", 0);
    net.createNode("c", 0);
    link(a, b, 0.0);
    const weight_t tf[] = {0.5};
    expectModelFailure(net, 0.8, tf, "",
                       "Illegal model configuration detected. Illegal p_true value: 0.500000 (should be in "
                       "[1..+inf])\n");
  }
  {
    // A species with a single protein has no pairs: p_true is not a number.
    // The species before it still gets its model line.
    Network net(2);
    buildFour(net, 0);
    net.createNode("alone", 1);
    const weight_t tf[] = {2.0, 2.0};
    expectModelFailure(net, 0.8, tf, "S#0>     4 genes",
                       "Illegal model configuration detected. Illegal p_true value: ", "nan (should be in [0..1])\n");
  }
  {
    // A true factor so large that p_true exceeds 1.
    Network net(1);
    buildFour(net);
    const weight_t tf[] = {7.0};
    expectModelFailure(net, 0.8, tf, "",
                       "Illegal model configuration detected. Illegal p_true value: 1.166667 (should be in [0..1])\n");
  }
}

TEST(NetworkModelTest, UndefinedPairScoreStopsTheRunCleanly) {
  // A certain interaction with beta 0: the complex model gives it probability 0.
  Network net(1);
  Node* a = net.createNode("a", 0);
  Node* b = net.createNode("b", 0);
  Node* c = net.createNode("c", 0);
  Node* d = net.createNode("d", 0);
  link(a, b, 1.0);
  link(c, d, 1.0);
  const weight_t tf[] = {1.0};
  expectModelFailure(net, 0.0, tf, "S#0>",
                     "Illegal model configuration detected. Pair score of a and b is undefined or has the wrong "
                     "sign (-inf): p1 0, p2 ",
                     ", expected degrees 1 and 1\n");
}

TEST(NetworkModelTest, MissingInteractionOfPairsAboveBetaScoresZero) {
  // Beta 0.2 lies below the random-model probability m = 1/3 of every pair of
  // the four-protein example, so every missing interaction is capped.
  Network net(1);
  buildFour(net);
  const weight_t tf[] = {2.0};
  const std::string out = captureStdout([&] { net.finalize(0.2, tf); });
  EXPECT_NE(out.find(" WARNING: species 0: 6 protein pairs have a random interaction probability of at "
                     "least beta (0.20); a missing interaction between them scores 0\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(net.hubPairs(0), 6u);
  const Node* a = net.getNodeByName("a");
  const Node* c = net.getNodeByName("c");
  EXPECT_EQ(net.scoreNonEdge(a, c), 0.0);
  EXPECT_EQ(net.scoreNonEdge(c, a), 0.0);
  // Edge scores keep their sign: ln(p1 / p2) with beta below m is negative.
  EXPECT_LT(a->getD1()[0].score, 0.0);
}

TEST(NetworkModelTest, HubPairCountMatchesPairByPairScores) {
  // Three hubs interacting with most of the species, sparse background.
  std::mt19937 rng(11);
  Network net(1);
  std::vector<Node*> nodes;
  for (int i = 0; i < 300; ++i) nodes.push_back(net.createNode(("p" + std::to_string(i)).c_str(), 0));
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 300; ++i) {
    for (int j = i + 1; j < 300; ++j) {
      const bool hub = i < 3 && unit(rng) < 0.8;
      if (hub || unit(rng) < 0.01) link(nodes[i], nodes[j], 0.9);
    }
  }
  const weight_t tf[] = {2.0};
  captureStdout([&] { net.finalize(0.5, tf); });
  uint64_t capped = 0;
  for (size_t i = 0; i < nodes.size(); ++i) {
    for (size_t j = i + 1; j < nodes.size(); ++j) capped += net.scoreNonEdge(nodes[i], nodes[j]) == 0.0;
  }
  EXPECT_GT(capped, 0u);
  EXPECT_EQ(net.hubPairs(0), capped);
}

namespace {

// Hub a with partners b, c, d; b-c; e without interactions. Entries are added
// out of id order, with a repeated a-b interaction.
class FinalizedHub : public ::testing::Test {
 protected:
  FinalizedHub() : net(1) {
    a = net.createNode("a", 0);
    b = net.createNode("b", 0);
    c = net.createNode("c", 0);
    d = net.createNode("d", 0);
    e = net.createNode("e", 0);
    link(a, d, 0.5);
    link(a, b, 0.3);
    link(c, b, 0.5);
    link(a, c, 0.5);
    link(a, b, 0.6);
    const weight_t tf[] = {2.0};
    captureStdout([&] { net.finalize(0.8, tf); });
  }
  Network net;
  Node *a, *b, *c, *d, *e;
};

}  // namespace

TEST_F(FinalizedHub, EdgeListsAreSortedByIdKeepingRepeatedPartnersInOrder) {
  const edges_list_t& la = a->getD1();
  ASSERT_EQ(la.size(), 4u);
  EXPECT_EQ(la[0].node, b);
  EXPECT_DOUBLE_EQ(la[0].weight, 0.3);
  EXPECT_EQ(la[1].node, b);
  EXPECT_DOUBLE_EQ(la[1].weight, 0.6);
  EXPECT_EQ(la[2].node, c);
  EXPECT_EQ(la[3].node, d);
  EXPECT_EQ(b->getD1()[0].node, a);
  EXPECT_EQ(b->getD1()[2].node, c);
}

TEST_F(FinalizedHub, InteractionFoundFromEitherSide) {
  const edge_t* found = nullptr;
  // b has fewer entries than a: the entry comes from b's list, the first for a.
  ASSERT_TRUE(Network::areD1nodes(a, b, &found));
  EXPECT_EQ(found, &b->getD1()[0]);
  ASSERT_TRUE(Network::areD1nodes(b, a, &found));
  EXPECT_EQ(found, &b->getD1()[0]);
  EXPECT_DOUBLE_EQ(net.scoreNodesPair(a, b), found->score);

  // Equal sizes: the first node's list is scanned.
  ASSERT_TRUE(Network::areD1nodes(d, a, &found));
  EXPECT_EQ(found, &d->getD1()[0]);
  EXPECT_EQ(found->node, a);

  found = &a->getD1()[0];
  EXPECT_FALSE(Network::areD1nodes(b, d, &found));
  EXPECT_EQ(found, nullptr);
  EXPECT_FALSE(Network::areD1nodes(e, a, &found));
  EXPECT_FALSE(Network::areD1nodes(c, d, &found));
}

TEST_F(FinalizedHub, CommonPartners) {
  EXPECT_TRUE(net.areD2nodes(b, d));  // through a
  EXPECT_TRUE(net.areD2nodes(a, b));  // through c
  EXPECT_FALSE(net.areD2nodes(e, a));
  EXPECT_FALSE(net.areD2nodes(d, a));
}

TEST(NetworkQueriesTest, IntersectionOfSortedLists) {
  Network net(1);
  Node* n[7];
  for (int i = 1; i <= 6; ++i) n[i] = net.createNode(std::to_string(i).c_str(), 0);
  auto list = [&](std::initializer_list<int> ids) {
    edges_list_t l;
    for (int id : ids) l.push_back(edge_t(n[id], 0));
    return l;
  };
  EXPECT_FALSE(Network::hasIntersection(list({1, 3, 5}), list({2, 4, 6})));
  EXPECT_FALSE(Network::hasIntersection(list({1, 2}), list({3, 4})));
  EXPECT_FALSE(Network::hasIntersection(list({5, 6}), list({1, 4})));
  EXPECT_FALSE(Network::hasIntersection(list({}), list({1, 2})));
  EXPECT_FALSE(Network::hasIntersection(list({3}), list({})));
  EXPECT_TRUE(Network::hasIntersection(list({1, 3}), list({3})));
  EXPECT_TRUE(Network::hasIntersection(list({2, 4, 6}), list({1, 3, 6})));
  EXPECT_TRUE(Network::hasIntersection(list({1, 5}), list({1})));
}

TEST(NetworkQueriesDeathTest, QueriesThatNeedAFinalisedNetworkAssert) {
  Network net(1);
  buildFour(net);
  const Node* a = net.getNodeByName("a");
  const Node* b = net.getNodeByName("b");
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        net.areD2nodes(a, b);
      },
      ::testing::KilledBySignal(SIGABRT), "Assertion failed: m_finalized");
}

TEST(NetworkModelTest, PairCountWrapsWhenExpectedDegreesExceedTheTotal) {
  // Three proteins, one certain interaction a-b, TF 2: p_te 0.5, E-PPI 2, and
  // both ends have expected degree 2, so X = 2 - 2 - 2 + 1 wraps to 2^32 - 1
  // and the random model gives the pair almost no chance.
  Network net(1);
  Node* a = net.createNode("a", 0);
  Node* b = net.createNode("b", 0);
  Node* c = net.createNode("c", 0);
  link(a, b, 1.0);
  const weight_t tf[] = {2.0};
  captureStdout([&] { net.finalize(0.8, tf); });
  EXPECT_EQ(a->getExpDegree(), 2u);
  EXPECT_EQ(b->getExpDegree(), 2u);
  EXPECT_EQ(c->getExpDegree(), 1u);
  const double pt = 2.0 / 3;
  const double m = 1 / (2.0 * 4294967295.0 / (4 + TINY_WEIGHT) + 1);
  const double expected = std::log(0.8 * (1 - pt)) - std::log(m * (1 - pt));
  EXPECT_DOUBLE_EQ(a->getD1()[0].score, expected);
  EXPECT_GT(expected, 20);
}
