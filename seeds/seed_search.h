// The search for the best seed of one anchor protein: a dynamic programme
// over species sets (span/span_search.h) on frontends, with its memos. One
// SeedSearch belongs to one thread; the seed of an anchor is a pure function
// of the network and the options, whatever this search solved before.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "common/common_types.h"
#include "homology/homology.h"
#include "network/network.h"
#include "seeds/continuations.h"
#include "seeds/seed.h"
#include "span/bit_subset.h"
#include "common/flat_map.h"
#include "span/span_cache.h"
#include "span/span_search.h"

class SeedSearch {
 public:
  // trees is empty or holds one tree per species (tree s rooted at s); it is
  // neither copied nor owned, nor is the network.
  SeedSearch(const Network* net, const std::vector<const VTree*>& trees, bool d2enabled, gen_type_t shape);
  SeedSearch(const SeedSearch&) = delete;
  SeedSearch& operator=(const SeedSearch&) = delete;

  // The best seed of the anchor protein p: its best root (an interaction with
  // a partner of higher id) continued into every other species. False when no
  // root has a span or the best total is not above 0; *seed is then untouched.
  bool seedOf(Node* p, Seed* seed);

  // Between two anchors: drops memos that have outgrown their budgets. Only
  // time depends on what the memos hold.
  void maintain();
  void clear();
  size_t memoryBytes() const;

 private:
  friend class SpanSearch<SeedSearch>;

  // What the exact cache keeps of a best span: its total, the frontend it
  // joined and the species its anchor kept. A span is always computed for the
  // pair with the lower id at position 0; a requester of the reversed pair
  // gets it mirrored.
  struct SpanRecord {
    double score;
    uint32_t joined;  // the joined frontend: its place among the continuations into `species`
    uint16_t anchorSet;
    byte species;
  };

  // The best root and its span, solving only what can still win.
  template <gen_type_t Shape>
  bool bestSeed(const std::vector<SeedFrontend>& roots, Seed* seed);
  // The same, solving every root's span in full: a network where some pair
  // score is undefined must stop at the first such pair the search meets,
  // which pruning could skip.
  template <gen_type_t Shape>
  bool bestSeedOfAll(const std::vector<SeedFrontend>& roots, Seed* seed);
  template <gen_type_t Shape, class Solve>
  bool solveRoot(const SeedFrontend& root, Solve solve);
  void appendSeed(const SeedFrontend& root, double span, Seed* seed);
  // Appends the proteins of the solved span of (tag, S), as handed to a
  // requester whose position 0 is requesterFirst, to the seed's aligned nodes
  // (swapped when flip is set).
  void appendSpan(uint64_t tag, uint S, const Node* requesterFirst, bool flip, Seed* seed);

  // ---- the span search's problem (span/span_search.h) ----
  typedef SeedFrontend Anchor;
  typedef SeedFrontend Candidate;
  typedef uint32_t Choice;
  // The continuations of one (frontend, species): a range of the memo, or a
  // list of their own when the memo is full.
  struct Candidates {
    const ContinuationMemo* memo = nullptr;
    ContinuationMemo::Range range;
    std::vector<SeedFrontend> own;
    bool memoised = true;
    size_t size() const { return memoised ? range.count : own.size(); }
    // Handed out from the last built to the first, as FrontendExpander::getNext does.
    const SeedFrontend& operator[](size_t i) const {
      return memoised ? memo->at(range.begin + range.count - 1 - i) : own[own.size() - 1 - i];
    }
  };
  bool lookup(const SeedFrontend& f, uint mask, bool* exists, double* score) const;
  void store(const SeedFrontend& f, uint mask, bool exists, double score, uint32_t joined, uint anchorSet) {
    storeBounded(f, mask, exists, exists ? score : NO_SPAN, joined, anchorSet);
  }
  bool lookupBounded(const SeedFrontend& f, uint mask, bool* exact, double* value) const;
  void storeBounded(const SeedFrontend& f, uint mask, bool exact, double value, uint32_t joined, uint anchorSet);
  double spanBound(uint mask) const { return m_spanReach[mask]; }
  bool ownBound(const SeedFrontend& f, double* bound) const {
    *bound = f.score();
    return true;
  }
  double candidatesReach(const SeedFrontend& f, byte x);
  Candidates candidates(const SeedFrontend& f, byte s) {
    Candidates list;
    list.memo = &m_continuations;
    list.memoised = m_continuations.get(f, s, &list.range, &list.own);
    return list;
  }
  bool admits(const SeedFrontend&) const { return true; }
  static SeedFrontend canonical(const SeedFrontend& f) {
    return f.nodeId(0) < f.nodeId(1) ? f : SeedFrontend(f.node(1), f.node(0), f.score());
  }
  static SpecSetsTreesGen splits(const SpecSetsTreesGen& G) { return G; }
  static SpecSetsPathsGen splits(const SpecSetsPathsGen& G) { return G; }
  SpecRestrictedTreesGen splits(const SpecRestrictedTreesGen& G) const { return m_guides.canonical(G); }
  void prefetch(const SeedFrontend& f, uint mask) const { m_cache.prefetch(f.tag(), mask); }
  bool ownScore(const SeedFrontend& f, double* score) const {
    *score = f.score();
    return true;
  }
  // The joined frontend's species (below 16) and its place among the continuations.
  uint32_t choose(const SeedFrontend& f, size_t i) const {
    TRELLIS_ASSERT(i < (1u << 28));
    return static_cast<uint32_t>(i << 4) | f.species();
  }

  Node* nodeById(uint32_t id) const { return m_continuations.index().node(id); }
  // No frontend of species s scores more than its best interaction (or 0,
  // the most a missing interaction scores, where distance-2 pairs count).
  void computeReach(const Network* net, bool d2enabled);

  SpanCache<SpanRecord> m_cache;   // exact spans, and "no span" answers
  FlatMap<WideKey, double> m_bounds;  // (tag, set): no span totals more
  const RestrictedGuides m_guides;
  ContinuationMemo m_continuations;
  const Network* m_network;
  const std::vector<const VTree*>& m_trees;
  const gen_type_t m_shape;
  const bool m_exhaustive;
  double m_ownReach[MAX_SPECIES] = {};
  double m_spanReach[1u << MAX_SPECIES];
  static constexpr double NO_SPAN = -std::numeric_limits<double>::infinity();
};
