// The frontends that continue a frontend into a species (node 0 a similarity
// partner of its node 0, node 1 one of its node 1, the two interacting or, when
// admitted, sharing a partner): built by each thread's ContinuationBuilder, kept for all threads
// in one ContinuationStore. The seed search asks for the same continuation
// under many species sets, splits and anchors, and building it is the costly
// part of the search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "common/common_types.h"
#include "common/concurrent_table.h"
#include "common/flat_map.h"
#include "common/striped.h"
#include "network/network.h"
#include "network/non_edge_scores.h"
#include "network/similarity_index.h"
#include "seeds/seed.h"

// A continuing frontend: its proteins by id and its score.
struct Continuation {
  uint32_t ids[2];
  double score;
};

// Builds continuation lists; one per thread (it keeps marks by protein).
class ContinuationBuilder {
 public:
  ContinuationBuilder(const Network* net, const SimilarityIndex* index, bool d2enabled);

  // Appends the continuations of frontend into species s to *out, in
  // construction order: node 0 a similarity partner of the frontend's node 0,
  // node 1 one of its node 1, the two interacting or (when admitted) sharing
  // an interaction partner.
  void build(const SeedFrontend& frontend, byte s, std::vector<Continuation>* out);

 private:
  // Marks the partners of m0 (and, for distance-2 pairs, the partners of its
  // partners when that is cheaper than testing each candidate's partners).
  bool markAround(uint32_t m0, size_t candidatesCost);
  bool sharesPartner(uint32_t m1, bool partnersOfPartnersMarked) const;
  void nextStamp();

  const SimilarityIndex& m_ids;
  NonEdgeScores m_nonEdge;
  const bool m_d2enabled;
  std::vector<uint32_t> m_partnerMark;  // by node id: stamp of the node 0 it is a partner of
  std::vector<uint32_t> m_secondMark;   // by node id: stamp of the node 0 it is two steps from
  uint32_t m_stamp = 0;
};

// Continuation lists shared by the threads of a seed search, within a byte
// budget. Lists are a pure function of the network, so which thread built one
// does not matter, and a list once stored stays where it is until clear().
class ContinuationStore {
 public:
  struct List {
    const Continuation* first = nullptr;
    uint32_t count = 0;
    double best = -std::numeric_limits<double>::infinity();  // highest score among them
  };

  explicit ContinuationStore(size_t byteBudget);
  // The budget of a store that holds `lists` lists of `continuations`
  // continuations in all without filling up, at most limit.
  static size_t budgetFor(size_t lists, size_t continuations, size_t limit);

  bool find(const SeedFrontend& frontend, byte s, List* out) const;
  // Stores the list built for (frontend, s) unless one is stored already;
  // *out is the stored list. False when the store is full (the caller then
  // uses its own list).
  bool store(const SeedFrontend& frontend, byte s, const std::vector<Continuation>& built, List* out);

  static double bestScore(const Continuation* first, size_t count);
  // No other thread may use the store meanwhile: grows its index or, when
  // nearly full, empties it.
  void maintain();
  size_t bytes() const { return m_index.bytes() + m_bytes.load(std::memory_order_relaxed); }
  // Forgets every list; no other thread may use the store meanwhile.
  void clear();

 private:
  // Continuations per block of storage: at most this many, and few enough
  // that every shelf's partly filled block takes a quarter of the budget.
  static constexpr size_t MAX_CHUNK = 1u << 14;
  static constexpr size_t MIN_CHUNK = 1u << 6;
  // Where lists are kept: blocks that never move, filled under a lock.
  struct Shelf {
    std::vector<std::unique_ptr<Continuation[]>> blocks;
    size_t used = 0;  // taken in the last block
    size_t room = 0;  // size of the last block; 0 before the first
  };
  static WideKey key(const SeedFrontend& frontend, byte s) {
    return WideKey{(static_cast<uint64_t>(frontend.nodeId(0)) << 32) | frontend.nodeId(1), s};
  }
  // Room for n continuations on the shelf; null when the budget forbids.
  Continuation* reserve(Shelf* shelf, size_t n);

  ConcurrentTable<List> m_index;  // read without locks
  mutable Striped<Shelf> m_shelves;
  const size_t m_budget;
  const size_t m_chunk;
  std::atomic<size_t> m_bytes{0};
};
