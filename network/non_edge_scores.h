// Non-interaction scores with a memo for proteins of high expected degree,
// which the network's own table (degrees below 50) does not hold: in networks
// with hubs the searches ask for the same pairs of large degrees again and
// again. One per thread; the network is only read.
#pragma once

#include "common/common_types.h"
#include "common/flat_map.h"
#include "network/network.h"

class NonEdgeScores {
 public:
  explicit NonEdgeScores(const Network* net) : m_network(net) {}

  // Network::scoreNonEdge(a, b), which depends only on the species and the
  // two expected degrees.
  double operator()(const Node* a, const Node* b) {
    const uint da = a->getExpDegree(), db = b->getExpDegree();
    if (da < Network::SCORES_CACHE_SIZE && db < Network::SCORES_CACHE_SIZE) return m_network->scoreNonEdge(a, b);
    const WideKey key{(static_cast<uint64_t>(da) << 32) | db, a->m_speciesIdx};
    if (const double* known = m_memo.find(key)) return *known;
    const double score = m_network->scoreNonEdge(a, b);
    m_memo.insert(key, score);
    return score;
  }

 private:
  const Network* m_network;
  FlatMap<WideKey, double> m_memo;
};
