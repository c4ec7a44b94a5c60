// The plain span search of the complex search, kept as the reference of the
// fast one: the recursion over species splits with a memo of whole spans,
// every candidate tried, no bounds. Proteins outside the search space are
// scored from scratch here and nothing of the crawler's state changes.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "complexes/complexes_crawler.h"
#include "complexes_crawler_test_util.h"
#include "span/bit_subset.h"

namespace crawlertest {

struct PlainSpan {
  bool exists = false;
  weight_t score = 0;
  std::vector<Node*> nodes;
};

class PlainSpanSearch {
 public:
  PlainSpanSearch(const Network& net, const SearchSpace& ss, const Complex& c, bool allowDup, bool demand)
      : m_net(net), m_ss(ss), m_complex(c), m_allowDup(allowDup), m_demand(demand) {}

  // The best complete aligned node grown from any of the frontends, the first
  // of the largest total.
  PlainSpan best(const std::vector<Node*>& frontends, gen_type_t type,
                 const std::vector<const VTree*>& trees) {
    PlainSpan best;
    const uint all = (1u << m_net.SPECIES_NUM) - 1;
    for (Node* f : frontends) {
      const uint others = all & ~(1u << f->m_speciesIdx);
      PlainSpan span;
      if (type == TREE) span = solve(f, SpecSetsTreesGen(others));
      if (type == PATH) span = solve(f, SpecSetsPathsGen(others, 0));
      if (type == ORIENTED) span = solve(f, SpecRestrictedTreesGen(trees[f->m_speciesIdx]->root()));
      if (!span.exists) continue;
      const weight_t total = span.score + m_ss.score(f);
      if (best.exists && !(total > best.score)) continue;
      best.exists = true;
      best.score = total;
      best.nodes.assign(1, f);
      best.nodes.insert(best.nodes.end(), span.nodes.begin(), span.nodes.end());
    }
    return best;
  }

 private:
  template <class Gen>
  PlainSpan solve(Node* f, Gen G) {
    PlainSpan best;
    const uint S = G.mask();
    if (S == 0) {
      best.exists = true;
      return best;
    }
    const std::pair<const Node*, uint> key(f, S);
    auto known = m_memo.find(key);
    if (known != m_memo.end()) return known->second;
    byte x = 0;
    Gen G1, G2;
    while (G.next(&x, &G1, &G2)) {
      const PlainSpan left = solve(f, G2);
      if (!left.exists) continue;
      for (const edge_t& h : f->getHomologs(x)) {
        Node* n = h.node;
        if (!m_allowDup && m_ss.distance(n) == SearchSpace::EDIST0) continue;
        const PlainSpan branch = solve(n, G1);
        if (!branch.exists) continue;
        weight_t own = m_ss.score(n);
        if (own == SearchSpace::NOT_SCORED) {
          if (m_demand) continue;
          own = naiveGain(m_net, m_complex, n);
        }
        const weight_t total = (own + left.score) + branch.score;
        if (best.exists && !(total > best.score)) continue;
        best.exists = true;
        best.score = total;
        best.nodes.assign(1, n);
        best.nodes.insert(best.nodes.end(), left.nodes.begin(), left.nodes.end());
        best.nodes.insert(best.nodes.end(), branch.nodes.begin(), branch.nodes.end());
      }
    }
    m_memo[key] = best;
    return best;
  }

  const Network& m_net;
  const SearchSpace& m_ss;
  const Complex& m_complex;
  const bool m_allowDup;
  const bool m_demand;
  std::map<std::pair<const Node*, uint>, PlainSpan> m_memo;
};

}  // namespace crawlertest
