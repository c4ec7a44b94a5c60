// The search for the best seed of one anchor protein: a dynamic programme
// over species sets (span/span_search.h) on frontends. Each thread has its own
// SeedSearch; all of them share one SeedMemos. The seed of an anchor is a pure
// function of the network and the options, whatever was solved before and
// whichever thread solved it.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "common/common_types.h"
#include "common/concurrent_table.h"
#include "common/flat_map.h"
#include "orientation/orientation.h"
#include "network/network.h"
#include "network/similarity_index.h"
#include "seeds/continuations.h"
#include "seeds/seed.h"
#include "span/bit_subset.h"
#include "span/pruning.h"
#include "span/span_search.h"

// What the cache keeps of a best span: its total, the frontend it joined and
// the species its anchor kept, or that no span exists. A span is always
// computed for the pair with the lower id at position 0; a requester of the
// reversed pair gets it mirrored.
struct SpanRecord {
  double score;
  uint32_t joined;  // the joined frontend: its place among the continuations into `species`
  uint16_t anchorSet;
  byte species;
  bool exists;
};

// What the shared memos of an input can hold at most: span records,
// continuation lists and the continuations in them.
struct MemoSizes {
  size_t spans = 0;
  size_t lists = 0;
  size_t continuations = 0;
};
MemoSizes memoSizesOf(const SimilarityIndex& index, uint speciesNum);

// The memos every thread of a seed search shares, within byte budgets.
struct SeedMemos {
  struct Budgets {
    size_t spans = 0;  // 0: from what the input can hold, within fixed limits
    size_t continuations = 0;
  };
  explicit SeedMemos(const Network* net);
  SeedMemos(const Network* net, Budgets budgets);
  // Between anchors, while no search runs: empties what is nearly full.
  void maintain();
  size_t bytes() const { return spans.bytes() + continuations.bytes(); }

  const SimilarityIndex index;
  const Budgets budgets;
  ConcurrentTable<SpanRecord> spans;  // (tag, set) -> exact span or "none"
  ContinuationStore continuations;
};

class SeedSearch {
 public:
  // trees is empty or holds one tree per species (tree s rooted at s); it is
  // neither copied nor owned, nor are the network and the memos.
  SeedSearch(const Network* net, SeedMemos* memos, const std::vector<const VTree*>& trees, bool d2enabled,
             gen_type_t shape);
  SeedSearch(const SeedSearch&) = delete;
  SeedSearch& operator=(const SeedSearch&) = delete;

  // The best seed of the anchor protein p: its best root (an interaction with
  // a partner of higher id) continued into every other species. False when no
  // root has a span or the best total is not above 0; *seed is then untouched.
  bool seedOf(Node* p, Seed* seed);

  // Between two anchors: drops this thread's memos once they outgrow their
  // budgets. Only time depends on what the memos hold.
  void maintain();
  size_t memoryBytes() const { return m_local.bytes() + m_bounds.bytes(); }

 private:
  friend class SpanSearch<SeedSearch>;

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
  // The joined frontend: its species (below 16) and its place among the
  // continuations packed, and its cache tag.
  struct Choice {
    uint32_t packed;
    uint64_t tag;
  };
  // The continuations of one (frontend, species): a range of the memo, or a
  // list of their own when the memo is full.
  struct Candidates {
    const Continuation* first = nullptr;
    size_t count = 0;
    const SimilarityIndex* index = nullptr;
    std::vector<Continuation> own;  // when the store is full
    size_t size() const { return count; }
    // Handed out from the last built to the first, as FrontendExpander::getNext does.
    SeedFrontend operator[](size_t i) const {
      const Continuation& c = (own.empty() ? first : own.data())[count - 1 - i];
      return SeedFrontend(index->node(c.ids[0]), index->node(c.ids[1]), c.score);
    }
  };
  bool lookup(const SeedFrontend& f, uint mask, bool* exists, double* score) const;
  void store(const SeedFrontend& f, uint mask, bool exists, double score, const Choice& joined,
             uint anchorSet) {
    storeBounded(f, mask, exists, exists ? score : NO_SPAN, joined, anchorSet);
  }
  bool lookupBounded(const SeedFrontend& f, uint mask, bool* exact, double* value) const;
  void storeBounded(const SeedFrontend& f, uint mask, bool exact, double value, const Choice& joined,
                    uint anchorSet);
  double spanBound(uint mask) const { return m_reach.span(mask); }
  bool ownBound(const SeedFrontend& f, double* bound) const {
    *bound = f.score();
    return true;
  }
  double candidatesReach(const SeedFrontend& f, byte x);
  Candidates candidates(const SeedFrontend& f, byte s);
  bool admits(const SeedFrontend&) const { return true; }
  static SeedFrontend canonical(const SeedFrontend& f) {
    return f.nodeId(0) < f.nodeId(1) ? f : SeedFrontend(f.node(1), f.node(0), f.score());
  }
  static SpecSetsTreesGen splits(const SpecSetsTreesGen& G) { return G; }
  static SpecSetsPathsGen splits(const SpecSetsPathsGen& G) { return G; }
  SpecRestrictedTreesGen splits(const SpecRestrictedTreesGen& G) const { return m_guides.canonical(G); }
  void prefetch(const SeedFrontend&, uint) const {}
  bool ownScore(const SeedFrontend& f, double* score) const {
    *score = f.score();
    return true;
  }
  // The joined frontend's species (below 16) and its place among the continuations.
  Choice choose(const SeedFrontend& f, size_t i) const {
    TRELLIS_ASSERT(i < (1u << 28));
    return Choice{static_cast<uint32_t>(i << 4) | f.species(), f.tag()};
  }

  Node* nodeById(uint32_t id) const { return m_memos->index.node(id); }
  // No frontend of species s scores more than its best interaction (or 0,
  // the most a missing interaction scores, where distance-2 pairs count).
  void computeReach(const Network* net, bool d2enabled);
  bool findSpan(const WideKey& key, SpanRecord* record) const;

  SeedMemos* m_memos;
  FlatMap<WideKey, SpanRecord> m_local;  // exact spans the shared cache had no room for
  FlatMap<WideKey, double> m_bounds;     // (tag, set): no span totals more
  const RestrictedGuides m_guides;
  ContinuationBuilder m_builder;
  std::vector<Continuation> m_built;
  const Network* m_network;
  const std::vector<const VTree*>& m_trees;
  const gen_type_t m_shape;
  const bool m_exhaustive;
  ReachTable m_reach;
  static constexpr double NO_SPAN = -std::numeric_limits<double>::infinity();
};
