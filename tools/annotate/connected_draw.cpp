#include "tools/annotate/connected_draw.h"

#include <unordered_set>

std::vector<uint32_t> drawConnectedGroup(const SpeciesGraph& graph, size_t size, DrawRandom& random) {
  std::vector<uint32_t> group;
  size_t starts = 0;
  const std::vector<uint32_t>& order = graph.byComponentSize(size, &starts);
  if (size == 0 || starts == 0) return group;
  std::unordered_set<uint32_t> seen;  // the group and its frontier
  std::vector<uint32_t> frontier;     // in order of discovery, so that draws are reproducible
  const auto join = [&](uint32_t v) {
    group.push_back(v);
    for (uint32_t w : graph.partners(v))
      if (seen.insert(w).second) frontier.push_back(w);
  };
  const uint32_t start = order[random.below(starts)];
  seen.insert(start);
  join(start);
  while (group.size() < size) {
    // The component holds size proteins, so the frontier is not empty before the group has them.
    const size_t pick = random.below(frontier.size());
    const uint32_t v = frontier[pick];
    frontier[pick] = frontier.back();
    frontier.pop_back();
    join(v);
  }
  return group;
}
