// Maximum-weight matching in a sparse bipartite graph.
#pragma once

#include <cstdint>
#include <vector>

struct WeightedPair {
  uint32_t left = 0;
  uint32_t right = 0;
  double weight = 0;  // > 0
};

// The largest total weight of a matching among pairs (each left and each right
// vertex used at most once), exactly: the Hungarian method on each connected
// component of the pairs, so that its cost follows the largest component, not
// the whole graph. A pair listed twice counts with its larger weight.
double maxWeightMatching(const std::vector<WeightedPair>& pairs);
