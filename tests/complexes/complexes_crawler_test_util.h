// Small finalised networks for the complex search tests.
#pragma once

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "complexes/complexes_crawler.h"
#include "orientation/orientation.h"
#include "network/network.h"
#include "test_util.h"

namespace crawlertest {

// Builds a network by name; finalize() silences the model lines.
class NetFixture {
 public:
  explicit NetFixture(uint species) : net(species) {}

  Node* node(const std::string& name, byte s) { return net.createNode(name.c_str(), s); }
  Node* operator()(const std::string& name) { return net.getNodeByName(name.c_str()); }
  void ppi(Node* a, Node* b, weight_t w = 0.9) {
    a->add_neighbor(b, w);
    b->add_neighbor(a, w);
  }
  void sim(Node* a, Node* b, weight_t e = 1e-20) {
    a->add_homolog(b, e);
    b->add_homolog(a, e);
  }
  // A chain of `count` proteins named prefix0, prefix1, ...: keeps the
  // interaction model of a small species well inside its valid range.
  void fillerChain(const std::string& prefix, byte s, int count) {
    Node* prev = nullptr;
    for (int i = 0; i < count; ++i) {
      Node* n = node(prefix + std::to_string(i), s);
      if (prev) ppi(prev, n);
      prev = n;
    }
  }
  void finalize(double beta = 0.8, weight_t tf = 1.5) {
    std::vector<weight_t> tfs(net.SPECIES_NUM, tf);
    testutil::captureStdout([&] { net.finalize(beta, tfs.data()); });
  }

  Network net;
};

// Random network: `perSpecies` proteins in every species, random interactions
// and similarity links, finalised. Names are "s<species>_<index>".
inline void fillRandom(NetFixture* f, uint perSpecies, double ppiProb, double simProb, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const uint S = f->net.SPECIES_NUM;
  std::vector<std::vector<Node*>> layers(S);
  for (uint s = 0; s < S; ++s) {
    for (uint i = 0; i < perSpecies; ++i) {
      layers[s].push_back(f->node("s" + std::to_string(s) + "_" + std::to_string(i), static_cast<byte>(s)));
    }
  }
  for (uint s = 0; s < S; ++s) {
    for (uint i = 0; i < perSpecies; ++i) {
      for (uint j = i + 1; j < perSpecies; ++j) {
        if (unit(rng) < ppiProb) f->ppi(layers[s][i], layers[s][j], 0.3 + 0.69 * unit(rng));
      }
    }
  }
  for (uint s = 0; s < S; ++s) {
    for (uint t = s + 1; t < S; ++t) {
      for (Node* a : layers[s]) {
        for (Node* b : layers[t]) {
          if (unit(rng) < simProb) f->sim(a, b, std::pow(10.0, -1 - 30 * unit(rng)));
        }
      }
    }
  }
  f->finalize();
}

// One tree per species, tree s rooted at s, as the command line derives them.
inline std::vector<std::unique_ptr<VTree>> orientationTrees(const std::string& exp, uint species) {
  VTree work;
  std::vector<std::unique_ptr<VTree>> trees;
  if (!work.build(exp)) return trees;
  for (uint s = 0; s < species; ++s) {
    work.switchRoot(static_cast<byte>(s));
    trees.push_back(work.clone());
  }
  return trees;
}

inline std::vector<const VTree*> rawTrees(const std::vector<std::unique_ptr<VTree>>& trees) {
  std::vector<const VTree*> raw;
  for (const auto& t : trees) raw.push_back(t.get());
  return raw;
}

inline VPath path(std::initializer_list<Node*> nodes, weight_t score = 0) {
  VPath p(score);
  for (Node* n : nodes) p.append(n);
  return p;
}

inline Seed seedOf(std::initializer_list<VPath> paths) {
  Seed seed(0);
  for (const VPath& p : paths) seed.m_vpaths.push_back(p);
  return seed;
}

// Everything a complex's contents say a node should score: the pair score
// against every complex protein of its species.
inline weight_t naiveGain(const Network& net, const Complex& c, const Node* n) {
  weight_t sum = 0;
  for (auto it = c.nodesBegin(n->m_speciesIdx); it != c.nodesEnd(n->m_speciesIdx); ++it) {
    sum += net.scoreNodesPair(n, *it);
  }
  return sum;
}

// Pair scores over every pair of distinct same-species proteins of c.
inline weight_t naiveComplexScore(const Network& net, const Complex& c) {
  weight_t sum = 0;
  for (byte s = 0; s < net.SPECIES_NUM; ++s) {
    for (auto a = c.nodesBegin(s); a != c.nodesEnd(s); ++a) {
      for (auto b = a + 1; b != c.nodesEnd(s); ++b) sum += net.scoreNodesPair(*a, *b);
    }
  }
  return sum;
}

// Opens the crawler's working state to the tests.
class TestCrawler : public ComplexesCrawler {
 public:
  TestCrawler(const Network* net, uint dupThreshold, gen_type_t type, const std::vector<const VTree*>& trees)
      : ComplexesCrawler(net, nullptr, 0, dupThreshold, 0, type, trees) {}

  // Starts an expansion of c by hand: reset, no aligned node admitted yet.
  void start(Complex* c) {
    m_expandedComplex = c;
    initSearchSpaceToDn(Seed(0), 0);
  }
  void setFlags(bool allowDup, bool demandConnectivity) {
    m_allowDuplications = allowDup;
    m_demandConnectivity = demandConnectivity;
  }
  void clearCache() { clearSpanCache(); }
  void setScore(Node* n, weight_t w) { m_searchSpace.setScore(n, w); }
  void upgrade(Node* n, EsearchSpaceDist d) { m_searchSpace.upgradeNode(n, d); }
  std::vector<Node*> frontends() const {
    std::vector<Node*> out;
    for (byte s = 0; s < m_network->SPECIES_NUM; ++s) {
      for (auto it = m_searchSpace.begin(s, EDIST1); it != m_searchSpace.end(s, EDIST1); ++it) {
        out.push_back(*it);
      }
    }
    return out;
  }
  bool allowDuplications() const { return m_allowDuplications; }
  bool demandConnectivity() const { return m_demandConnectivity; }
};

}  // namespace crawlertest
