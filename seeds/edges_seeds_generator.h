// Seeds: one pair of proteins per species, each pair interacting (or sharing a
// partner) inside its species, matched position by position across species by
// similarity edges. The generator finds the best seed of every protein by a
// dynamic programme over species sets (span/span_search.h).
#pragma once

#include <list>
#include <vector>

#include "common/common_types.h"
#include "homology/homology.h"
#include "network/network.h"
#include "seeds/continuations.h"
#include "seeds/seed.h"
#include "span/bit_subset.h"
#include "span/flat_map.h"
#include "span/span_cache.h"
#include "span/span_search.h"

class ProgressMeter;

// Finds the best seed of every protein of a finalised network.
class EdgesSeedsGenerator {
 public:
  typedef std::list<Seed>::const_iterator const_iterator;

  // seedsOrientation is empty or holds one tree per species (tree s rooted at
  // s); it is neither copied nor owned, nor is the network.
  EdgesSeedsGenerator(const Network* net, const std::vector<const VTree*>& seedsOrientation, bool d2enabled,
                      gen_type_t seedsType);
  EdgesSeedsGenerator(const EdgesSeedsGenerator&) = delete;
  EdgesSeedsGenerator& operator=(const EdgesSeedsGenerator&) = delete;

  // Runs the whole seed search once; returns the number of seeds found.
  size_t createSeeds();
  // Meter advanced once per anchor protein by createSeeds; null for none.
  void setProgress(ProgressMeter* meter) { m_progress = meter; }
  const_iterator getSeedsBegin() const { return m_seeds.begin(); }
  const_iterator getSeedsEnd() const { return m_seeds.end(); }

  // The span of every frontend over the empty set of species.
  static const Seed* nullSeed();

  // Memory the search holds now (span cache and memos), in bytes.
  size_t memoryBytes() const;

 private:
  friend class SpanSearch<EdgesSeedsGenerator>;

  // What the cache keeps of a best span: its total, the frontend it joined
  // and the species its anchor kept. A span is always computed for the pair
  // with the lower id at position 0; a requester of the reversed pair gets it
  // mirrored. Every record is then a pure function of its key, whoever asked
  // first, whatever was cleared and whichever thread computed it.
  struct SpanRecord {
    double score;
    uint32_t joined;  // the joined frontend: its place among the continuations into `species`
    uint16_t anchorSet;
    byte species;
  };

  // The best seed of one anchor protein from its root frontends; false when
  // no root has a span.
  bool findSeedOf(const std::vector<SeedFrontend>& roots, Seed* seed);
  template <gen_type_t Shape>
  bool findNextBestVspan(const std::vector<SeedFrontend>& roots, Seed* seed);
  // Appends the proteins of the cached span of (tag, S), as handed to a
  // requester whose position 0 is requesterFirst, to the seed's aligned nodes
  // (swapped when flip is set).
  void appendSpan(uint64_t tag, uint S, const Node* requesterFirst, bool flip, Seed* seed);
  // Between two anchor proteins: the cache's own clearing rule, and the
  // budgets of the memos.
  void maintain();

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
  void store(const SeedFrontend& f, uint mask, bool exists, double score, uint32_t joined, uint anchorSet);
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

  SpanCache<SpanRecord> m_cache;
  const RestrictedGuides m_guides;
  ContinuationMemo m_continuations;

 protected:
  const Network* m_network;
  const std::vector<const VTree*>& m_seedsOrientation;
  std::list<Seed> m_seeds;
  bool m_d2enabled;
  gen_type_t m_seedsType;
  ProgressMeter* m_progress = nullptr;
};
