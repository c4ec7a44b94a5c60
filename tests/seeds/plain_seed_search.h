// The plain seed search, kept as the reference of the fast one: whole spans
// in the span cache, each computed for the pair with the lower id first and
// mirrored for a requester of the reversed pair, restricted sets always split
// in the order of the lowest-numbered tree that has them; the continuations built by
// FrontendExpander each time they are needed, every candidate tried. With
// clearBetweenAnchors the cache is emptied before every anchor protein, which
// must not change any seed.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "frontend_expander.h"
#include "seeds/edges_seeds_generator.h"
#include "span/bit_subset.h"

namespace seedtest {

class PlainSeedSearch {
 public:
  PlainSeedSearch(const Network* net, const std::vector<const VTree*>& trees, bool d2enabled, gen_type_t type,
                  bool clearBetweenAnchors = false)
      : m_net(net),
        m_trees(trees),
        m_guides(trees),
        m_d2(d2enabled),
        m_type(type),
        m_clearBetweenAnchors(clearBetweenAnchors) {}

  std::list<Seed> createSeeds() {
    std::list<Seed> seeds;
    for (byte s = 0; s < m_net->SPECIES_NUM; ++s) {
      for (Node* p : m_net->layer(s)) {
        if (m_clearBetweenAnchors) m_cache.clear();
        std::unique_ptr<Seed> best;
        for (const edge_t& e : p->getD1()) {
          if (!(p->m_id < e.node->m_id)) continue;
          const SeedFrontend root(p, e.node, e.score);
          const Seed* span = nullptr;
          if (!spanOfRoot(root, &span)) continue;
          const weight_t score = span->m_score + root.score();
          if (best && !(score > best->m_score)) continue;
          best.reset(new Seed(2));
          best->append(root);
          best->append(span);
        }
        if (best && best->m_score > 0) seeds.push_back(*best);
      }
    }
    return seeds;
  }

 private:
  // A cached span with the protein at position 0 of the frontend it was made for.
  struct Oriented {
    std::unique_ptr<Seed> span, mirror;
    const Node* first;
    const Seed* to(const Node* requester) {
      if (requester == first) return span.get();
      if (!mirror) {
        mirror.reset(new Seed(*span));
        std::swap(mirror->m_vpaths[0], mirror->m_vpaths[1]);
      }
      return mirror.get();
    }
  };

  bool spanOfRoot(const SeedFrontend& f, const Seed** out) {
    const uint others = ((1u << m_net->SPECIES_NUM) - 1) ^ (1u << f.species());
    if (m_type == PATH) return solve(f, SpecSetsPathsGen(others, 0), out);
    if (m_type == TREE) return solve(f, SpecSetsTreesGen(others), out);
    return solve(f, SpecRestrictedTreesGen(m_trees[f.species()]->root()), out);
  }

  template <class Gen>
  bool solve(const SeedFrontend& f, Gen G, const Seed** out) {
    const uint S = G.mask();
    if (S == 0) {
      *out = &m_emptySpan;
      return true;
    }
    const auto cached = m_cache.find({S, f.tag()});
    Oriented* known = cached != m_cache.end() ? cached->second.get() : nullptr;
    if (cached == m_cache.end()) {
      const bool lowFirst = f.nodeId(0) < f.nodeId(1);
      known = solveCanonical(lowFirst ? f : SeedFrontend(f.node(1), f.node(0), f.score()), splits(G));
    }
    *out = known ? known->to(f.node(0)) : nullptr;
    return known != nullptr;
  }

  // The span of a frontend whose first protein has the lower id, stored.
  template <class Gen>
  Oriented* solveCanonical(const SeedFrontend& f, Gen G) {
    const uint S = G.mask();
    std::unique_ptr<Seed> best;
    byte x = 0;
    Gen G1, G2;
    while (G.next(&x, &G1, &G2)) {
      const Seed* left = nullptr;
      if (!solve(f, G2, &left)) continue;
      FrontendExpander next(m_net, f, x, m_d2);
      SeedFrontend c;
      while (next.getNext(&c)) {
        const Seed* right = nullptr;
        if (!solve(c, G1, &right)) continue;
        const weight_t score = right->m_score + (c.score() + left->m_score);
        if (best && !(score > best->m_score)) continue;
        best.reset(new Seed(2));
        best->append(c);
        best->append(left);
        best->append(right);
      }
    }
    std::unique_ptr<Oriented>& stored = m_cache[{S, f.tag()}];
    if (best) stored.reset(new Oriented{std::move(best), nullptr, f.node(0)});
    return stored.get();
  }

  const Network* m_net;
  static SpecSetsTreesGen splits(const SpecSetsTreesGen& G) { return G; }
  static SpecSetsPathsGen splits(const SpecSetsPathsGen& G) { return G; }
  SpecRestrictedTreesGen splits(const SpecRestrictedTreesGen& G) const { return m_guides.canonical(G); }

  const std::vector<const VTree*>& m_trees;
  const RestrictedGuides m_guides;
  const bool m_d2;
  const gen_type_t m_type;
  const bool m_clearBetweenAnchors;
  // (species set, frontend tag) -> its span, null when it has none.
  std::map<std::pair<uint, uint64_t>, std::unique_ptr<Oriented>> m_cache;
  const Seed m_emptySpan{2};  // every frontend's over no species
};

}  // namespace seedtest
