#include "seeds/edges_seeds_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/rand48.h"
#include "plain_seed_search.h"
#include "test_util.h"

namespace {

using testutil::captureStdout;

// Adds the interaction x-y in both lists with a given score; lists stay sorted
// when callers add the partners of each node in id order.
void link(Node* x, Node* y, weight_t score) {
  for (Node* n : {x, y}) {
    Node* other = n == x ? y : x;
    n->add_neighbor(other, 0.5);
    edge_t e(other, 0.5);
    e.score = score;
    n->replaceEdge(n->getD1().size() - 1, e);
  }
}

void similar(Node* x, Node* y) {
  x->add_homolog(y, 1e-20);
  y->add_homolog(x, 1e-20);
}

std::vector<std::string> names(const VPath& path) {
  std::vector<std::string> out;
  for (const Node* n : path) out.push_back(n->name());
  return out;
}

std::vector<const Seed*> seedsOf(const EdgesSeedsGenerator& gen) {
  std::vector<const Seed*> out;
  for (auto it = gen.getSeedsBegin(); it != gen.getSeedsEnd(); ++it) out.push_back(&*it);
  return out;
}

// Every protein of an aligned node but the first must be similar to another
// protein of the same aligned node: a misoriented span breaks this.
void expectLinkedByNodes(const Seed& seed) {
  for (const VPath& path : seed.m_vpaths) {
    for (size_t i = 1; i < path.size(); ++i) {
      const Node* n = path.m_nodes[i];
      bool linked = false;
      for (const Node* m : path) {
        if (m == n) continue;
        for (const edge_t& h : n->getHomologs(m->m_speciesIdx)) linked = linked || h.node == m;
      }
      EXPECT_TRUE(linked) << n->name() << " has no similarity partner in its aligned node";
    }
  }
}

// The two-species network of the worked example: a, b in species 0; c, d, e in species 1.
struct TwoSpecies {
  Network net{2};
  Node *a, *b, *c, *d, *e;
  explicit TwoSpecies(weight_t cdScore = 1.5) {
    a = net.createNode("a", 0);
    b = net.createNode("b", 0);
    c = net.createNode("c", 1);
    d = net.createNode("d", 1);
    e = net.createNode("e", 1);
    link(a, b, 2.0);
    link(c, d, cdScore);
    link(c, e, 0.5);
    link(d, e, 1.0);
    similar(a, c);
    similar(a, d);
    similar(b, d);
    similar(b, e);
  }
};

const std::vector<const VTree*> kNoTrees;

TEST(SeedFrontendTest, TagIgnoresOrder) {
  TwoSpecies w;
  Network net(1);
  Node* p7 = nullptr;
  Node* p3 = nullptr;
  for (int i = 1; i <= 7; ++i) {
    Node* n = net.createNode(("n" + std::to_string(i)).c_str(), 0);
    if (i == 3) p3 = n;
    if (i == 7) p7 = n;
  }
  EXPECT_EQ(SeedFrontend(p7, p3, 1).tag(), (3ull << 32) | 7u);
  EXPECT_EQ(SeedFrontend(p3, p7, 1).tag(), (3ull << 32) | 7u);
  EXPECT_EQ(SeedFrontend(w.c, w.a, 0).species(), 1);
  EXPECT_GT(SeedFrontend().score(), 1e300);
}

TEST(FrontendExpanderTest, HandsOutInReverseOrderOfConstruction) {
  TwoSpecies w;
  FrontendExpander x(&w.net, SeedFrontend(w.a, w.b, 2.0), 1, false);
  SeedFrontend f;
  std::vector<std::string> seen;
  while (x.getNext(&f))
    seen.push_back(std::string(f.node(0)->name()) + f.node(1)->name() + ":" + std::to_string(f.score()));
  // (d, d) is skipped: the two positions need distinct proteins.
  EXPECT_EQ(seen, (std::vector<std::string>{"de:1.000000", "ce:0.500000", "cd:1.500000"}));

  FrontendExpander none(&w.net, SeedFrontend(w.a, w.b, 2.0), 0, false);
  EXPECT_FALSE(none.getNext(&f));
}

TEST(SeedTest, AppendAndPrint) {
  TwoSpecies w;
  Seed s(2);
  s.append(SeedFrontend(w.a, w.b, 2.0));
  s.append(EdgesSeedsGenerator::nullSeed());
  Seed sub(2);
  sub.append(SeedFrontend(w.c, w.d, 1.5));
  s.append(&sub);
  EXPECT_EQ(names(s.m_vpaths[0]), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(names(s.m_vpaths[1]), (std::vector<std::string>{"b", "d"}));
  EXPECT_DOUBLE_EQ(s.getScore(), 3.5);
  EXPECT_EQ(captureStdout([&] { s.dbg_print(); }), "Seed: [ (b,a)--(d,c)]\t(3.500000)\n");
  EXPECT_EQ(captureStdout([] { Seed(0).dbg_print(); }), "Seed: [ ]\t(0.000000)\n");
  EXPECT_EQ(EdgesSeedsGenerator::nullSeed()->m_vpaths[0].size(), 0u);
}

TEST(SeedTest, IntersectRatioOverTheSmallerSeed) {
  Network net(1);
  std::vector<Node*> n;
  for (int i = 0; i < 8; ++i) n.push_back(net.createNode(("p" + std::to_string(i)).c_str(), 0));
  Seed s4(2), t4(2), s6(2), empty(2);
  s4.append(SeedFrontend(n[0], n[1], 1));
  s4.append(SeedFrontend(n[2], n[3], 1));
  t4.append(SeedFrontend(n[2], n[3], 1));
  t4.append(SeedFrontend(n[4], n[5], 1));
  s6.append(SeedFrontend(n[6], n[7], 1));
  s6.append(&s4);
  EXPECT_DOUBLE_EQ(s4.intersectRatio(s4), 1.0);
  EXPECT_DOUBLE_EQ(s4.intersectRatio(t4), 0.5);
  EXPECT_DOUBLE_EQ(s4.intersectRatio(s6), 1.0);
  EXPECT_DOUBLE_EQ(s6.intersectRatio(s4), 1.0);
  EXPECT_DOUBLE_EQ(s6.intersectRatio(t4), 0.5);
  EXPECT_DOUBLE_EQ(s4.intersectRatio(empty), 0.0);
}

TEST(SeedDeathTest, AppendOfMismatchedWidthStops) {
  TwoSpecies w;
  Seed wide(3);
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        wide.append(SeedFrontend(w.a, w.b, 1));
      },
      ::testing::KilledBySignal(SIGABRT), "m_vpaths.size\\(\\) == frontend.nodes\\(\\)");
}

TEST(EdgesSeedsGeneratorTest, WorkedTwoSpeciesExample) {
  TwoSpecies w;
  EdgesSeedsGenerator gen(&w.net, kNoTrees, false, TREE);
  size_t found = 0;
  const std::string out = captureStdout([&] { found = gen.createSeeds(); });
  EXPECT_EQ(out,
            "Covered 1 proteins, created 0 seeds\n"
            "Covered 2 proteins, created 1 seeds\n"
            "Covered 4 proteins, created 2 seeds\n");
  ASSERT_EQ(found, 3u);
  const std::vector<const Seed*> seeds = seedsOf(gen);
  EXPECT_EQ(names(seeds[0]->m_vpaths[0]), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(names(seeds[0]->m_vpaths[1]), (std::vector<std::string>{"b", "d"}));
  EXPECT_DOUBLE_EQ(seeds[0]->getScore(), 3.5);
  EXPECT_EQ(names(seeds[1]->m_vpaths[0]), (std::vector<std::string>{"c", "a"}));
  EXPECT_EQ(names(seeds[1]->m_vpaths[1]), (std::vector<std::string>{"d", "b"}));
  EXPECT_DOUBLE_EQ(seeds[1]->getScore(), 3.5);
  EXPECT_EQ(names(seeds[2]->m_vpaths[0]), (std::vector<std::string>{"d", "a"}));
  EXPECT_EQ(names(seeds[2]->m_vpaths[1]), (std::vector<std::string>{"e", "b"}));
  EXPECT_DOUBLE_EQ(seeds[2]->getScore(), 3.0);
  EXPECT_EQ(captureStdout([&] { seeds[0]->dbg_print(); }), "Seed: [ (b,a)--(d,c)]\t(3.500000)\n");
}

TEST(EdgesSeedsGeneratorTest, TiesKeepTheFrontendHandedOutFirst) {
  // With c-d worth as much as d-e, (d, e) is met first and wins.
  TwoSpecies w(1.0);
  EdgesSeedsGenerator gen(&w.net, kNoTrees, false, TREE);
  captureStdout([&] { gen.createSeeds(); });
  const Seed* first = seedsOf(gen)[0];
  EXPECT_EQ(names(first->m_vpaths[0]), (std::vector<std::string>{"a", "d"}));
  EXPECT_EQ(names(first->m_vpaths[1]), (std::vector<std::string>{"b", "e"}));
  EXPECT_DOUBLE_EQ(first->getScore(), 3.0);
}

TEST(EdgesSeedsGeneratorTest, SeedsOfZeroScoreAreDropped) {
  Network net(2);
  Node* a = net.createNode("a", 0);
  Node* b = net.createNode("b", 0);
  Node* c = net.createNode("c", 1);
  Node* d = net.createNode("d", 1);
  link(a, b, 1.0);
  link(c, d, -1.0);
  similar(a, c);
  similar(b, d);
  EdgesSeedsGenerator zero(&net, kNoTrees, false, TREE);
  captureStdout([&] { EXPECT_EQ(zero.createSeeds(), 0u); });
}

TEST(EdgesSeedsGeneratorTest, NoInteractionsGiveOnlyProgressLines) {
  Network net(2);
  for (const char* n : {"a", "b", "c"}) net.createNode(n, 0);
  net.createNode("d", 1);
  similar(net.getNodeByName("a"), net.getNodeByName("d"));
  EdgesSeedsGenerator gen(&net, kNoTrees, false, TREE);
  size_t found = 1;
  const std::string out = captureStdout([&] { found = gen.createSeeds(); });
  EXPECT_EQ(found, 0u);
  EXPECT_EQ(out,
            "Covered 1 proteins, created 0 seeds\n"
            "Covered 2 proteins, created 0 seeds\n"
            "Covered 4 proteins, created 0 seeds\n");
}

// Species 0: a-b; species 1: c and d share the partner m but do not
// interact; a ~ c, b ~ d. A few more interactions keep the model legal.
struct DistanceTwo {
  Network net{2};
  Node *a, *b, *c, *d, *m;
  explicit DistanceTwo(bool cdInteract = false) {
    a = net.createNode("a", 0);
    b = net.createNode("b", 0);
    c = net.createNode("c", 1);
    d = net.createNode("d", 1);
    m = net.createNode("m", 1);
    std::vector<Node*> extra[2];
    for (int s = 0; s < 2; ++s) {
      for (int i = 0; i < 6; ++i) {
        extra[s].push_back(net.createNode(("x" + std::to_string(s) + std::to_string(i)).c_str(), s));
      }
    }
    a->add_neighbor(b, 0.9);
    b->add_neighbor(a, 0.9);
    if (cdInteract) {
      c->add_neighbor(d, 0.9);
      d->add_neighbor(c, 0.9);
    }
    for (Node* n : {c, d}) {
      n->add_neighbor(m, 0.9);
      m->add_neighbor(n, 0.9);
    }
    for (int s = 0; s < 2; ++s) {
      for (int i = 0; i + 1 < 6; ++i) {
        extra[s][i]->add_neighbor(extra[s][i + 1], 0.5);
        extra[s][i + 1]->add_neighbor(extra[s][i], 0.5);
      }
    }
    similar(a, c);
    similar(b, d);
    const weight_t trueFact[2] = {1.5, 1.5};
    captureStdout([&] { net.finalize(0.8, trueFact); });
  }
};

TEST(EdgesSeedsGeneratorTest, DistanceTwoPairsOnlyWhenEnabled) {
  DistanceTwo w;
  SeedFrontend f;
  FrontendExpander off(&w.net, SeedFrontend(w.a, w.b, 1), 1, false);
  EXPECT_FALSE(off.getNext(&f));
  FrontendExpander on(&w.net, SeedFrontend(w.a, w.b, 1), 1, true);
  ASSERT_TRUE(on.getNext(&f));
  EXPECT_EQ(f.node(0), w.c);
  EXPECT_EQ(f.node(1), w.d);
  EXPECT_LT(f.score(), 0);
  EXPECT_DOUBLE_EQ(f.score(), w.net.scoreNonEdge(w.c, w.d));
  EXPECT_FALSE(on.getNext(&f));

  // An interacting pair keeps its edge score although it also shares m.
  DistanceTwo linked(true);
  FrontendExpander both(&linked.net, SeedFrontend(linked.a, linked.b, 1), 1, true);
  ASSERT_TRUE(both.getNext(&f));
  const edge_t* cd = nullptr;
  ASSERT_TRUE(Network::areD1nodes(linked.c, linked.d, &cd));
  EXPECT_DOUBLE_EQ(f.score(), cd->score);
  EXPECT_GT(f.score(), 0);

  // The root is always an interaction; the continuation may be a distance-2 pair.
  EdgesSeedsGenerator strict(&w.net, kNoTrees, false, TREE);
  captureStdout([&] { strict.createSeeds(); });
  for (auto it = strict.getSeedsBegin(); it != strict.getSeedsEnd(); ++it) {
    EXPECT_NE(it->m_vpaths[0].m_nodes[0], w.a);
  }
  const edge_t ab = w.a->getD1()[0];
  edge_t strong(ab.node, ab.weight);
  strong.score = 50;
  w.a->replaceEdge(0, strong);
  EdgesSeedsGenerator loose(&w.net, kNoTrees, true, TREE);
  captureStdout([&] { loose.createSeeds(); });
  ASSERT_NE(loose.getSeedsBegin(), loose.getSeedsEnd());
  const Seed& seed = *loose.getSeedsBegin();
  EXPECT_EQ(names(seed.m_vpaths[0]), (std::vector<std::string>{"a", "c"}));
  EXPECT_DOUBLE_EQ(seed.getScore(), 50 + w.net.scoreNonEdge(w.c, w.d));
}

// Three species where the span of the pair (c, d) over species 2 is first
// computed for (c, d) and later requested for (d, c).
struct ReversedPair {
  Network net{3};
  Node *a, *b, *a2, *b2, *c, *d, *f, *g;
  ReversedPair() {
    a = net.createNode("a", 0);
    b = net.createNode("b", 0);
    a2 = net.createNode("a2", 0);
    b2 = net.createNode("b2", 0);
    c = net.createNode("c", 1);
    d = net.createNode("d", 1);
    f = net.createNode("f", 2);
    g = net.createNode("g", 2);
    link(a, b, 1.0);
    link(a2, b2, 1.0);
    link(c, d, 1.0);
    link(f, g, 1.0);
    similar(a, c);
    similar(b, d);
    similar(a2, d);
    similar(b2, c);
    similar(c, f);
    similar(d, g);
  }
};

TEST(EdgesSeedsGeneratorTest, CachedSpanIsOrientedToTheRequester) {
  for (gen_type_t type : {TREE, PATH}) {
    ReversedPair w;
    EdgesSeedsGenerator gen(&w.net, kNoTrees, false, type);
    captureStdout([&] { gen.createSeeds(); });
    const std::vector<const Seed*> seeds = seedsOf(gen);
    ASSERT_GE(seeds.size(), 2u);
    EXPECT_EQ(names(seeds[0]->m_vpaths[0]), (std::vector<std::string>{"a", "c", "f"}));
    EXPECT_EQ(names(seeds[0]->m_vpaths[1]), (std::vector<std::string>{"b", "d", "g"}));
    EXPECT_EQ(names(seeds[1]->m_vpaths[0]), (std::vector<std::string>{"a2", "d", "g"}));
    EXPECT_EQ(names(seeds[1]->m_vpaths[1]), (std::vector<std::string>{"b2", "c", "f"}));
    EXPECT_DOUBLE_EQ(seeds[1]->getScore(), 3.0);
    for (const Seed* s : seeds) expectLinkedByNodes(*s);
  }
}

// Species 0: a0-b0; species 1: a1-b1; species 2: a2-b2; every protein is
// similar to its namesakes of the other species.
struct ThreeChains {
  Network net{3};
  Node* n[3][2];
  ThreeChains() {
    for (int s = 0; s < 3; ++s) {
      for (int k = 0; k < 2; ++k) {
        n[s][k] = net.createNode((std::string(k == 0 ? "a" : "b") + std::to_string(s)).c_str(), s);
      }
      link(n[s][0], n[s][1], 1.0);
    }
    for (int k = 0; k < 2; ++k) {
      similar(n[0][k], n[1][k]);
      similar(n[1][k], n[2][k]);
      similar(n[0][k], n[2][k]);
    }
  }
};

TEST(EdgesSeedsGeneratorTest, OrientedSeedsFollowTheReRootedTree) {
  VTree tree;
  ASSERT_TRUE(tree.build("(0,(2,(1)))"));
  std::vector<std::unique_ptr<VTree>> owned;
  std::vector<const VTree*> trees;
  for (byte s = 0; s < 3; ++s) {
    ASSERT_TRUE(tree.switchRoot(s));
    owned.push_back(tree.clone());
    trees.push_back(owned.back().get());
  }
  ThreeChains w;
  EdgesSeedsGenerator gen(&w.net, trees, false, ORIENTED);
  captureStdout([&] { EXPECT_EQ(gen.createSeeds(), 3u); });
  const std::vector<const Seed*> seeds = seedsOf(gen);
  // Species order in the aligned nodes: the anchor, then down its tree.
  EXPECT_EQ(names(seeds[0]->m_vpaths[0]), (std::vector<std::string>{"a0", "a2", "a1"}));
  EXPECT_EQ(names(seeds[1]->m_vpaths[0]), (std::vector<std::string>{"a1", "a2", "a0"}));
  EXPECT_EQ(names(seeds[1]->m_vpaths[1]), (std::vector<std::string>{"b1", "b2", "b0"}));
  EXPECT_EQ(names(seeds[2]->m_vpaths[0]), (std::vector<std::string>{"a2", "a0", "a1"}));
  for (const Seed* s : seeds) EXPECT_DOUBLE_EQ(s->getScore(), 3.0);

  // Every re-rooted copy of the tree joins species 0 and 2 directly: without
  // that similarity no restricted seed exists, while a relaxed tree still
  // reaches species 2 through species 1.
  ThreeChains cut;
  for (int k = 0; k < 2; ++k) {
    cut.n[0][k]->removeHomolog(cut.n[2][k]);
    cut.n[2][k]->removeHomolog(cut.n[0][k]);
  }
  EdgesSeedsGenerator restricted(&cut.net, trees, false, ORIENTED);
  EdgesSeedsGenerator relaxed(&cut.net, kNoTrees, false, TREE);
  captureStdout([&] {
    EXPECT_EQ(restricted.createSeeds(), 0u);
    EXPECT_EQ(relaxed.createSeeds(), 3u);
  });
}

// With beta 1 and a true factor of 1 for species 0 (so its p_te is exactly 0)
// the non-edge score of a0 and a2 (met as a distance-2 pair) is undefined,
// which ends the run from inside the span search: an Error unwinds from it, and
// nothing may leak (the sanitizer build checks at process exit).
TEST(EdgesSeedsGeneratorTest, ModelFailureInsideTheSearchUnwindsWithoutLeaks) {
  Network net(2);
  Node* a[3];
  Node* b[3];
  for (int i = 0; i < 3; ++i) {
    a[i] = net.createNode(("a" + std::to_string(i)).c_str(), 0);
    b[i] = net.createNode(("b" + std::to_string(i)).c_str(), 1);
  }
  const auto interact = [](Node* x, Node* y, weight_t w) {
    x->add_neighbor(y, w);
    y->add_neighbor(x, w);
  };
  interact(a[0], a[1], 0.5);
  interact(a[1], a[2], 0.5);
  interact(b[0], b[1], 0.8 + 1e-12);
  interact(b[0], b[2], 2e-12);
  for (int i = 0; i < 3; ++i) similar(a[i], b[i]);
  weight_t trueFact[MAX_SPECIES];
  for (weight_t& f : trueFact) f = 2.0;
  trueFact[0] = 1.0;
  captureStdout([&] { net.finalize(1.0, trueFact); });

  EdgesSeedsGenerator gen(&net, {}, true, TREE);
  int code = 0;
  std::string message;
  captureStdout([&] {
    try {
      gen.createSeeds();
    } catch (const Error& e) {
      code = e.status();
      message = e.what();
    }
  });
  EXPECT_EQ(code, EXIT_MODEL);
  EXPECT_NE(message.find("Illegal model configuration detected. Pair score of a0 and a2"), std::string::npos)
      << message;
}

}  // namespace

// ------------------------------------------------------------ differential

namespace {

// Random interactions (with repeated pairs) and similarity links, then a
// shuffled copy whose interactions carry different weights at their two ends.
std::unique_ptr<Network> randomShuffledNetwork(uint species, uint perSpecies, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Network net(species);
  std::vector<std::vector<Node*>> layers(species);
  for (uint s = 0; s < species; ++s) {
    for (uint i = 0; i < perSpecies; ++i)
      layers[s].push_back(net.createNode(("s" + std::to_string(s) + "_" + std::to_string(i)).c_str(), s));
  }
  for (uint s = 0; s < species; ++s) {
    for (uint i = 0; i < perSpecies; ++i) {
      for (uint j = i + 1; j < perSpecies; ++j) {
        if (unit(rng) < 0.25) {
          const weight_t w = 0.2 + 0.7 * unit(rng);
          layers[s][i]->add_neighbor(layers[s][j], w);
          layers[s][j]->add_neighbor(layers[s][i], w);
        }
      }
    }
    for (uint t = s + 1; t < species; ++t) {
      for (Node* a : layers[s]) {
        for (Node* b : layers[t]) {
          if (unit(rng) < 0.3) {
            const weight_t e = std::pow(10.0, -1 - 30 * unit(rng));
            a->add_homolog(b, e);
            b->add_homolog(a, e);
          }
        }
      }
    }
  }
  std::unique_ptr<Network> copy(net.clone());
  Rand48 shuffling(seed);
  captureStdout([&] { copy->shuffleNetwork(20, [&shuffling] { return shuffling.next(); }); });
  const weight_t tf[MAX_SPECIES] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
  captureStdout([&] { copy->finalize(0.8, tf); });
  return copy;
}

// The fast seed search finds exactly the seeds of the plain one, in every
// shape, with and without distance-2 pairs.
TEST(EdgesSeedsGeneratorTest, SameSeedsAsThePlainSearch) {
  const char* const orientations[] = {"(0,(1))", "(0,(1,(2)))", "(1,(0),(2,(3)))", "(0,(2),(1,(4)),(3))"};
  size_t total = 0;
  for (uint species = 2; species <= 5; ++species) {
    std::unique_ptr<Network> net = randomShuffledNetwork(species, 9, 40 + species);
    ASSERT_FALSE(net->hasUndefinedPairScores());  // the pruning search runs
    VTree work;
    ASSERT_TRUE(work.build(orientations[species - 2]));
    std::vector<std::unique_ptr<VTree>> owned;
    std::vector<const VTree*> trees;
    for (uint s = 0; s < species; ++s) {
      work.switchRoot(static_cast<byte>(s));
      owned.push_back(work.clone());
      trees.push_back(owned.back().get());
    }
    for (gen_type_t type : {PATH, TREE, ORIENTED}) {
      for (bool d2 : {false, true}) {
        EdgesSeedsGenerator fast(net.get(), trees, d2, type);
        captureStdout([&] { fast.createSeeds(); });
        const std::list<Seed> plain = seedtest::PlainSeedSearch(net.get(), trees, d2, type).createSeeds();
        // Each anchor searched as if alone: no cached span may depend on who asked first.
        const std::list<Seed> alone =
            seedtest::PlainSeedSearch(net.get(), trees, d2, type, true).createSeeds();
        const std::vector<const Seed*> got = seedsOf(fast);
        total += got.size();
        ASSERT_EQ(got.size(), plain.size()) << species << " species, shape " << type << ", d2 " << d2;
        ASSERT_EQ(alone.size(), plain.size());
        auto want = plain.begin();
        auto single = alone.begin();
        for (const Seed* seed : got) {
          for (const Seed* other : {&*want, &*single}) {
            EXPECT_EQ(seed->m_vpaths[0].m_nodes, other->m_vpaths[0].m_nodes);
            EXPECT_EQ(seed->m_vpaths[1].m_nodes, other->m_vpaths[1].m_nodes);
            EXPECT_EQ(seed->getScore(), other->getScore());
          }
          ++want;
          ++single;
        }
      }
    }
  }
  EXPECT_GT(total, 100u);
}

}  // namespace
