// Edge-crossing randomisation of a network copy.
//
// The shuffle takes its draws from a function, so a test can script the exact
// values it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/rand48.h"
#include "network/network.h"
#include "network_builders.h"
#include "test_util.h"

using testutil::captureStdout;

using testutil::link;

namespace {

// A fixed sequence of draws; after its end every draw comes from a generator
// and counts as an overrun.
class ScriptedDraws {
 public:
  // A draw that picks index i out of n.
  void pick(size_t i, size_t n) { m_script.push_back((i + 0.5) / n); }
  size_t left() const { return m_script.size(); }
  bool overrun() const { return m_overrun; }
  std::function<double()> draw() {
    return [this] {
      if (m_script.empty()) {
        m_overrun = true;
        return m_rest.next();
      }
      const double v = m_script.front();
      m_script.pop_front();
      return v;
    };
  }

 private:
  std::deque<double> m_script;
  bool m_overrun = false;
  Rand48 m_rest{0};
};

// The draws of rng, in turn.
std::function<double()> seeded(Rand48* rng) {
  return [rng] { return rng->next(); };
}

typedef std::vector<std::pair<std::string, double>> entries_t;

entries_t entriesOf(const edges_list_t& list) {
  entries_t out;
  for (const edge_t& e : list) out.emplace_back(e.node->m_name, e.weight);
  return out;
}

// Every entry list of every node, by protein name.
struct Snapshot {
  std::map<std::string, entries_t> d1;
  std::map<std::string, std::vector<entries_t>> homologs;
  bool operator==(const Snapshot& o) const { return d1 == o.d1 && homologs == o.homologs; }
};

Snapshot snapshot(const Network& net) {
  Snapshot s;
  for (uint sp = 0; sp < net.SPECIES_NUM; ++sp) {
    for (const Node* n : net.layer(static_cast<byte>(sp))) {
      s.d1[n->m_name] = entriesOf(n->getD1());
      for (byte k = 0; k < net.SPECIES_NUM; ++k)
        s.homologs[n->m_name].push_back(entriesOf(n->getHomologs(k)));
    }
  }
  return s;
}

// Species 0: a-b, c-d and the isolated e, in that layer order; a and b carry
// different weights for their interaction, as do c and d.
void buildTwoPairs(Network& net) {
  Node* a = net.createNode("a", 0);
  Node* b = net.createNode("b", 0);
  Node* c = net.createNode("c", 0);
  Node* d = net.createNode("d", 0);
  net.createNode("e", 0);
  a->add_neighbor(b, 0.1);
  b->add_neighbor(a, 0.2);
  c->add_neighbor(d, 0.3);
  d->add_neighbor(c, 0.4);
}

}  // namespace

TEST(NetworkShuffleTest, CrossingExchangesPartnersWithTheirWeightsInDrawOrder) {
  Network net(2);
  buildTwoPairs(net);
  ScriptedDraws draws;
  draws.pick(0, 5), draws.pick(0, 5);  // a, a: same protein
  draws.pick(0, 5), draws.pick(4, 5);  // a, e: e has no interactions
  draws.pick(0, 5), draws.pick(1, 5);  // a, b: a's partner is b itself
  draws.pick(0, 1), draws.pick(0, 1);
  for (int i = 0; i < 5; ++i) {  // a (entry 0), c (entry 0): five crossings
    draws.pick(0, 5), draws.pick(2, 5), draws.pick(0, 1), draws.pick(0, 1);
  }
  const std::string out = captureStdout([&] { net.shuffleNetwork(1, draws.draw()); });
  EXPECT_EQ(out,
            "Shuffling PPIs for species 0: 5 edges crossing will be done\n"
            "Shuffling PPIs for species 1: 0 edges crossing will be done\n");
  EXPECT_EQ(draws.left(), 0u);
  EXPECT_FALSE(draws.overrun());

  // An odd number of a/c crossings: a-b, c-d became a-d, c-b.
  const Snapshot s = snapshot(net);
  EXPECT_EQ(s.d1.at("a"), (entries_t{{"d", 0.3}}));
  EXPECT_EQ(s.d1.at("b"), (entries_t{{"c", 0.4}}));
  EXPECT_EQ(s.d1.at("c"), (entries_t{{"b", 0.1}}));
  EXPECT_EQ(s.d1.at("d"), (entries_t{{"a", 0.2}}));
}

TEST(NetworkShuffleTest, DoesExactlyProteinsTimesFactorCrossings) {
  Network net(1);
  buildTwoPairs(net);
  const Snapshot before = snapshot(net);
  ScriptedDraws draws;
  for (int i = 0; i < 500; ++i) draws.pick(0, 5), draws.pick(2, 5), draws.pick(0, 1), draws.pick(0, 1);
  EXPECT_EQ(captureStdout([&] { net.shuffleNetwork(100, draws.draw()); }),
            "Shuffling PPIs for species 0: 500 edges crossing will be done\n");
  EXPECT_EQ(draws.left(), 0u);
  EXPECT_FALSE(draws.overrun());
  EXPECT_TRUE(snapshot(net) == before);  // an even number of a/c crossings
}

TEST(NetworkShuffleTest, NothingToDoLeavesTheNetworkAlone) {
  Network net(2);
  buildTwoPairs(net);
  const Snapshot before = snapshot(net);
  ScriptedDraws draws;
  EXPECT_EQ(captureStdout([&] { net.shuffleNetwork(0, draws.draw()); }),
            "Shuffling PPIs for species 0: 0 edges crossing will be done\n"
            "Shuffling PPIs for species 1: 0 edges crossing will be done\n");
  EXPECT_FALSE(draws.overrun());
  EXPECT_TRUE(snapshot(net) == before);
}

TEST(NetworkShuffleTest, SpeciesWithoutTwoDisjointInteractionsIsNotCrossed) {
  // Each species is named by its interactions over proteins p0.., listed as pairs.
  const std::vector<std::vector<std::pair<int, int>>> impossible = {
      {},                                // proteins but no interactions
      {{0, 1}, {0, 2}, {0, 3}},          // a star
      {{0, 1}, {1, 2}, {2, 0}},          // a triangle
      {{0, 1}, {0, 2}, {1, 2}, {0, 1}},  // a triangle with a repeated interaction
  };
  const std::vector<std::vector<std::pair<int, int>>> possible = {
      {{0, 1}, {0, 2}, {1, 3}},  // every interaction touches 0 or 1, yet 0-2 and 1-3 are disjoint
      {{0, 1}, {0, 2}, {0, 3}, {4, 5}},
      {{0, 1}, {1, 2}, {2, 3}},  // a path
  };
  auto build = [](Network& net, byte sp, const std::vector<std::pair<int, int>>& edges) {
    for (int i = 0; i < 6; ++i)
      net.createNode(("s" + std::to_string(sp) + "p" + std::to_string(i)).c_str(), sp);
    for (const auto& e : edges) link(net.layer(sp)[e.first], net.layer(sp)[e.second], 0.5);
  };
  for (size_t i = 0; i < impossible.size(); ++i) {
    Network net(1);
    build(net, 0, impossible[i]);
    const Snapshot before = snapshot(net);
    ScriptedDraws draws;  // empty: any draw would overrun
    EXPECT_EQ(
        captureStdout([&] { net.shuffleNetwork(3, draws.draw()); }),
        "Shuffling PPIs for species 0: 18 edges crossing will be done\n"
        " WARNING: no two interactions with four distinct proteins in species 0, no edges crossing done\n")
        << "case " << i;
    EXPECT_FALSE(draws.overrun()) << "case " << i;
    EXPECT_TRUE(snapshot(net) == before) << "case " << i;
  }
  Rand48 rng(3);
  for (size_t i = 0; i < possible.size(); ++i) {
    Network net(1);
    build(net, 0, possible[i]);
    EXPECT_EQ(captureStdout([&] { net.shuffleNetwork(3, seeded(&rng)); }),
              "Shuffling PPIs for species 0: 18 edges crossing will be done\n")
        << "case " << i;
  }
}

namespace {

// Two species of random interactions (some repeated) plus similarity edges.
void buildRandom(Network& net, uint seed) {
  std::srand(seed);
  const int sizes[] = {30, 12};
  for (byte sp = 0; sp < 2; ++sp) {
    for (int i = 0; i < sizes[sp]; ++i)
      net.createNode(("s" + std::to_string(sp) + "_" + std::to_string(i)).c_str(), sp);
    for (int k = 0; k < sizes[sp] * 2; ++k) {
      Node* a = net.layer(sp)[std::rand() % sizes[sp]];
      Node* b = net.layer(sp)[std::rand() % sizes[sp]];
      if (a != b) link(a, b, (std::rand() % 1000 + 1) / 1000.0);
    }
  }
  for (int k = 0; k < 20; ++k) {
    Node* a = net.layer(0)[std::rand() % sizes[0]];
    Node* x = net.layer(1)[std::rand() % sizes[1]];
    a->add_homolog(x, 1e-10 * k);
    x->add_homolog(a, 1e-10 * k);
  }
}

std::vector<double> speciesWeights(const Network& net, byte sp) {
  std::vector<double> w;
  for (const Node* n : net.layer(sp)) {
    for (const edge_t& e : n->getD1()) w.push_back(e.weight);
  }
  std::sort(w.begin(), w.end());
  return w;
}

}  // namespace

TEST(NetworkShuffleTest, ShuffledCopyKeepsDegreesMirrorsWeightsAndSimilarities) {
  Network src(2);
  buildRandom(src, 11);
  Network* copy = src.clone();
  const Snapshot before = snapshot(*copy);
  Rand48 rng(42);
  captureStdout([&] { copy->shuffleNetwork(100, seeded(&rng)); });
  const Snapshot after = snapshot(*copy);

  EXPECT_FALSE(after.d1 == before.d1);
  EXPECT_EQ(after.homologs, before.homologs);
  for (byte sp = 0; sp < 2; ++sp) EXPECT_EQ(speciesWeights(*copy, sp), speciesWeights(src, sp));
  for (uint sp = 0; sp < 2; ++sp) {
    for (const Node* n : copy->layer(static_cast<byte>(sp))) {
      ASSERT_EQ(n->getD1().size(), before.d1.at(n->m_name).size());
      for (const edge_t& e : n->getD1()) {
        EXPECT_NE(e.node, n);
        EXPECT_EQ(e.node->m_speciesIdx, sp);
        // Every interaction is still stored at both ends, as often at each.
        auto count = [](const Node* owner, const Node* partner) {
          return std::count_if(owner->getD1().begin(), owner->getD1().end(), equalToNode(partner));
        };
        EXPECT_EQ(count(n, e.node), count(e.node, n));
      }
    }
  }
  // The weight sums the model reads followed the crossings: the same model as
  // a network built afresh from the crossed entries.
  std::unique_ptr<Network> rebuilt(copy->clone());
  const weight_t tf[] = {2.0, 2.0};
  captureStdout([&] {
    copy->finalize(0.8, tf);
    rebuilt->finalize(0.8, tf);
  });
  for (byte sp = 0; sp < 2; ++sp) {
    for (const Node* n : copy->layer(sp))
      EXPECT_EQ(n->getExpDegree(), rebuilt->getNodeByName(n->name())->getExpDegree()) << n->m_name;
  }
  delete copy;
}

// The generator the shuffle is handed is drand48's, state and all.
TEST(NetworkShuffleTest, GeneratorDrawsAsDrand48) {
  for (uint32_t seed : {0u, 2345u, 0xFFFFFFFFu}) {
    Rand48 rng(seed);
    srand48(static_cast<long>(seed));
    for (int i = 0; i < 50; ++i) EXPECT_EQ(rng.next(), drand48()) << seed;
  }
}

TEST(NetworkShuffleTest, SameSeedSameShuffle) {
  Network src(2);
  buildRandom(src, 5);
  Network* first = src.clone();
  Network* second = src.clone();
  Rand48 one(1), again(1);
  const std::string out1 = captureStdout([&] { first->shuffleNetwork(20, seeded(&one)); });
  const std::string out2 = captureStdout([&] { second->shuffleNetwork(20, seeded(&again)); });
  EXPECT_EQ(out1, out2);
  EXPECT_TRUE(snapshot(*first) == snapshot(*second));
  delete first;
  delete second;
}
