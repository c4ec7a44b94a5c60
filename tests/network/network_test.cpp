// The layered graph: node factory, edge lists, VPath, clone and statistics.
#include "network/network.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

#include "network_builders.h"
#include "test_util.h"

using testutil::captureStdout;

using testutil::link;
using testutil::similar;

TEST(NetworkGraphTest, IdsCountAcrossSpeciesAndIndexesWithinLayers) {
  Network net(2);
  Node* a = net.createNode("a", 0);
  Node* x = net.createNode("x", 1);
  Node* b = net.createNode("b", 0);
  EXPECT_EQ(a->m_id, 1u);
  EXPECT_EQ(x->m_id, 2u);
  EXPECT_EQ(b->m_id, 3u);
  EXPECT_EQ(a->m_indexInSpecies, 0);
  EXPECT_EQ(b->m_indexInSpecies, 1);
  EXPECT_EQ(x->m_indexInSpecies, 0);
  EXPECT_EQ(b->m_speciesIdx, 0);
  EXPECT_EQ(x->m_speciesIdx, 1);
  EXPECT_EQ(x->getExpDegree(), 0xFFFFFFFFu);

  // Existing name in the same species: same node, no id used, no layer growth.
  EXPECT_EQ(net.createNode("a", 0), a);
  EXPECT_EQ(net.layer(0).size(), 2u);
  EXPECT_EQ(net.createNode("c", 0)->m_id, 4u);

  EXPECT_EQ(net.getNodeByName("b"), b);
  EXPECT_EQ(net.getNodeByName("nope"), nullptr);
  EXPECT_EQ(net.getNodeByName("nope"), nullptr);
  EXPECT_EQ(net.layer(0).size() + net.layer(1).size(), 4u);
  const std::vector<Node*>& layer0 = net.layer(0);
  ASSERT_EQ(layer0.size(), 3u);
  EXPECT_EQ(layer0[2]->m_name, "c");
}

TEST(NetworkGraphTest, LongNamesAreKeptWhole) {
  Network net(2);
  const std::string longName(300, 'p');
  Node* n = net.createNode(longName.c_str(), 1);
  EXPECT_EQ(n->m_name, longName);
  EXPECT_EQ(net.getNodeByName(longName.c_str()), n);
}

TEST(NetworkGraphTest, NameInTwoSpeciesEndsRun) {
  Network net(3);
  net.createNode("p1", 0);
  const testutil::Thrown t = testutil::errorOf([&] { net.createNode("p1", 2); });
  EXPECT_EQ(t.status, 255);
  EXPECT_EQ(t.message,
            "ERROR: There is a problem with input interactions files\nERROR: protein name p1 was found in "
            "interaction files of two different species (2 and 0)\n");
}

// The limits are far beyond any input that fits in memory; a network with
// small limits shows how they are enforced.
TEST(NetworkGraphTest, LayerLimitEndsRunCleanly) {
  const uint layerLimit = 300;
  Network net(2, layerLimit);
  for (uint i = 0; i < layerLimit; ++i) net.createNode(("s0_" + std::to_string(i)).c_str(), 0);
  EXPECT_EQ(net.layer(0).size(), layerLimit);
  // The other layer is unaffected.
  net.createNode("other", 1);
  // A name that already exists is still found.
  EXPECT_EQ(net.createNode("s0_7", 0)->m_id, 8u);
  const testutil::Thrown t = testutil::errorOf([&] { net.createNode("one_more", 0); });
  EXPECT_EQ(t.status, 255);
  EXPECT_EQ(t.message, "ERROR: Too many proteins in species 0 (at most 300)\n");
}

TEST(NetworkGraphTest, NetworkNodeLimitEndsTheRunAsAnAbortWould) {
  const uint maxNodes = 1000;
  Network net(MAX_SPECIES, 100, maxNodes);
  const uint limit = maxNodes - 1;  // ids stay below maxNodes
  for (uint i = 0; i < limit; ++i) {
    net.createNode(("n" + std::to_string(i)).c_str(), static_cast<byte>(i / 100));
  }
  EXPECT_EQ(net.getNodeByName(("n" + std::to_string(limit - 1)).c_str())->m_id, limit);
  const testutil::Thrown t = testutil::errorOf([&] { net.createNode("last", 9); });
  EXPECT_EQ(t.status, 134);
  EXPECT_EQ(t.message, "ERROR: Too many nodes in the network\n");
}

TEST(NetworkGraphTest, InteractionEntriesAreKeptInOrder) {
  Network net(2);
  Node* a = net.createNode("a", 0);
  Node* b = net.createNode("b", 0);
  Node* c = net.createNode("c", 0);
  a->add_neighbor(b, 0.25);
  a->add_neighbor(b, 0.5);
  ASSERT_EQ(a->getD1().size(), 2u);

  a->replaceEdge(0, edge_t(c, 0.125));
  EXPECT_EQ(a->getD1()[0].node, c);
  EXPECT_EQ(a->getD1()[1].node, b);
  EXPECT_DOUBLE_EQ(a->getD1()[0].weight, 0.125);
}

TEST(NetworkGraphTest, SimilarityEntriesMergeToTheBestEvalue) {
  Network net(2);
  Node* a = net.createNode("a", 0);
  Node* x = net.createNode("x", 1);
  Node* y = net.createNode("y", 1);
  a->add_homolog(x, 1e-5);
  a->add_homolog(x, 1e-9);
  a->add_homolog(x, 1e-3);
  a->add_homolog(y, 0.5);
  ASSERT_EQ(a->getHomologsNum(1), 2u);
  EXPECT_EQ(a->getHomologs(1)[0].node, x);
  EXPECT_DOUBLE_EQ(a->getHomologs(1)[0].weight, 1e-9);
  EXPECT_EQ(a->getHomologsNum(0), 0u);
}

TEST(NetworkGraphTest, RemovingSimilarityEntries) {
  Network net(2);
  Node* a = net.createNode("a", 0);
  Node* x = net.createNode("x", 1);
  Node* y = net.createNode("y", 1);
  Node* z = net.createNode("z", 1);
  a->add_homolog(x, 1e-5);
  a->add_homolog(y, 1e-3);
  a->add_homolog(z, 1e-3);

  // The first of the equal largest weights goes; the others keep their order.
  EXPECT_EQ(a->removeWorstHomolog(1), y);
  ASSERT_EQ(a->getHomologsNum(1), 2u);
  EXPECT_EQ(a->getHomologs(1)[0].node, x);
  EXPECT_EQ(a->getHomologs(1)[1].node, z);

  a->removeHomolog(x);
  ASSERT_EQ(a->getHomologsNum(1), 1u);
  EXPECT_EQ(a->getHomologs(1)[0].node, z);

  a->removeHomolog(z);
  Node* removed = x;
  const std::string out = captureStdout([&] { removed = a->removeWorstHomolog(1); });
  EXPECT_EQ(removed, nullptr);
  EXPECT_EQ(out, "WARNING: Nothing erased, no edges at all\n");
}

TEST(NetworkGraphDeathTest, BrokenInvariantsAssert) {
  Network net(2);
  Node* a = net.createNode("a", 0);
  Node* x = net.createNode("x", 1);
  auto assertsWith = [](const std::function<void()>& f, const char* re) {
    EXPECT_EXIT(
        {
          dup2(STDERR_FILENO, STDOUT_FILENO);
          f();
        },
        ::testing::KilledBySignal(SIGABRT), re);
  };
  assertsWith([&] { a->removeHomolog(x); }, "Assertion failed: it != list.end\\(\\)");
  assertsWith([&] { a->replaceEdge(0, edge_t(x, 1)); }, "Assertion failed: idx < m_d1_neigbors.size\\(\\)");
  assertsWith([&] { net.createNode("s", 2); }, "Assertion failed: speciesIdx < SPECIES_NUM");
}

TEST(VPathTest, AppendLookupAndPrint) {
  Network net(3);
  Node* a = net.createNode("A", 0);
  Node* b = net.createNode("B", 1);
  Node* c = net.createNode("C", 2);
  VPath p(1.5);
  p.append(a);
  p.append(b);
  EXPECT_EQ(p.getSpecieNode(1), b);
  EXPECT_EQ(p.getSpecieNode(2), nullptr);
  EXPECT_EQ(captureStdout([&] { p.dbg_print(stdout); }), "A--B (1.500000) ");

  VPath q;
  q.append(c);
  q.append(&p);
  EXPECT_EQ(q.score(), 0);
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(*q.begin(), c);
  EXPECT_EQ(q.m_nodes[2], b);
  EXPECT_EQ(captureStdout([&] { VPath().dbg_print(stdout); }), " (0.000000) ");
}

namespace {

// Species 0: a-b, b-c; species 1: x-y; one similarity edge a~x.
void buildSmall(Network& net) {
  Node* a = net.createNode("a", 0);
  Node* b = net.createNode("b", 0);
  Node* c = net.createNode("c", 0);
  Node* x = net.createNode("x", 1);
  Node* y = net.createNode("y", 1);
  link(a, b, 0.5);
  link(b, c, 0.75);
  link(x, y, 0.25);
  similar(a, x, 1e-20);
}

}  // namespace

TEST(NetworkGraphTest, StatisticsPrintout) {
  Network net(2);
  buildSmall(net);
  EXPECT_EQ(captureStdout([&] { net.dbg_stats_print(); }),
            " Specie 0 net: 3 proteins, 2 PPI, 1 homologs\n"
            " Specie 1 net: 2 proteins, 1 PPI, 1 homologs\n"
            " Total: 5 proteins, 3 PPI, 1 homologs (counted once)\n");
}

TEST(NetworkGraphTest, CloneCopiesNodesAndEdgesButNotState) {
  Network net(2);
  // Created in an order that makes the clone's ids differ.
  Node* y0 = net.createNode("y", 1);
  buildSmall(net);
  net.createNode("lonely", 0);
  const std::string srcStats = captureStdout([&] { net.dbg_stats_print(); });

  Network* copy = net.clone();
  EXPECT_EQ(captureStdout([&] { copy->dbg_stats_print(); }), srcStats);
  EXPECT_EQ(copy->SPECIES_NUM, 2u);
  EXPECT_NE(copy->getNodeByName("y")->m_id, y0->m_id);

  for (uint s = 0; s < 2; ++s) {
    for (const Node* src : net.layer(static_cast<byte>(s))) {
      const Node* dst = copy->getNodeByName(src->name());
      ASSERT_NE(dst, nullptr);
      ASSERT_NE(dst, src);
      EXPECT_EQ(dst->m_speciesIdx, src->m_speciesIdx);
      ASSERT_EQ(dst->getD1().size(), src->getD1().size());
      for (size_t i = 0; i < src->getD1().size(); ++i) {
        EXPECT_EQ(dst->getD1()[i].node, copy->getNodeByName(src->getD1()[i].node->name()));
        EXPECT_EQ(dst->getD1()[i].weight, src->getD1()[i].weight);
      }
      for (byte k = 0; k < 2; ++k) {
        ASSERT_EQ(dst->getHomologsNum(k), src->getHomologsNum(k));
        for (size_t i = 0; i < src->getHomologsNum(k); ++i) {
          EXPECT_EQ(dst->getHomologs(k)[i].node->m_name, src->getHomologs(k)[i].node->m_name);
          EXPECT_EQ(dst->getHomologs(k)[i].weight, src->getHomologs(k)[i].weight);
        }
      }
    }
  }
  // The copy is independent of its source.
  copy->getNodeByName("a")->add_neighbor(copy->getNodeByName("c"), 1);
  EXPECT_EQ(net.getNodeByName("a")->getD1().size(), 1u);
  delete copy;
}
