// The frontends that continue a frontend into a species, as FrontendExpander
// lists them, memoised within a byte budget. The seed search asks for the
// same continuation under many species sets and splits, and building it is
// the costly part of the search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/common_types.h"
#include "network/network.h"
#include "network/non_edge_scores.h"
#include "network/similarity_index.h"
#include "seeds/seed.h"
#include "common/flat_map.h"

class ContinuationMemo {
 public:
  // The lists of one (frontend, species), in construction order.
  struct Range {
    uint32_t begin = 0;
    uint32_t count = 0;
    double best = 0;  // the highest score among them (minus infinity for none)
  };

  ContinuationMemo(const Network* net, bool d2enabled, size_t byteBudget);
  ~ContinuationMemo();
  ContinuationMemo(const ContinuationMemo&) = delete;
  ContinuationMemo& operator=(const ContinuationMemo&) = delete;

  // The continuations of frontend into species s, built on first use. They
  // are memoised while the memo is within its budget (the range then stays
  // valid until the next trim() or clear()); beyond it they are built into
  // *scratch, which the caller owns, and the result is false.
  bool get(const SeedFrontend& frontend, byte s, Range* range, std::vector<SeedFrontend>* scratch);
  // The continuations of frontend into s when they are memoised already.
  const Range* find(const SeedFrontend& frontend, byte s) const { return m_index.find(key(frontend, s)); }
  const SeedFrontend& at(size_t i) const { return m_frontends[i]; }
  // The highest score of count frontends (minus infinity for none).
  static double bestScore(const SeedFrontend* first, size_t count);
  // The network's proteins by id and their partners, as the lists are built from.
  const SimilarityIndex& index() const { return m_ids; }

  // Drops everything when the memo has outgrown its budget. The lists are a
  // pure function of the network, so dropping them only costs time.
  void trim();
  void clear();
  size_t bytes() const;

 private:
  static WideKey key(const SeedFrontend& frontend, byte s) {
    return WideKey{(static_cast<uint64_t>(frontend.nodeId(0)) << 32) | frontend.nodeId(1), s};
  }
  void build(const SeedFrontend& frontend, byte s, std::vector<SeedFrontend>* out);
  // Marks the partners of m0 (and, for distance-2 pairs, the partners of its
  // partners when that is cheaper than testing each candidate's partners).
  bool markAround(uint32_t m0, size_t candidatesCost);
  bool sharesPartner(uint32_t m1, bool partnersOfPartnersMarked) const;
  void nextStamp();

  const SimilarityIndex m_ids;
  NonEdgeScores m_nonEdge;
  const bool m_d2enabled;
  const size_t m_byteBudget;
  std::vector<SeedFrontend> m_frontends;
  FlatMap<WideKey, Range> m_index;      // (node 0 id << 32 | node 1 id, species) -> list
  std::vector<uint32_t> m_partnerMark;  // by node id: stamp of the node 0 it is a partner of
  std::vector<uint32_t> m_secondMark;   // by node id: stamp of the node 0 it is two steps from
  uint32_t m_stamp = 0;
};
