#include "seeds/seed_overlap_filter.h"

#include "common/overlap_sweep.h"

std::list<Seed> filterOverlappingSeeds(const std::vector<const Seed*>& candidates, double threshold) {
  std::vector<OverlapItem> items;
  items.reserve(candidates.size());
  for (const Seed* seed : candidates) items.push_back(OverlapItem{seed->proteinIds(), seed->getScore()});
  OverlapCounts counts;
  const auto overlaps = [threshold](double ratio) { return !(ratio < threshold); };
  std::list<Seed> kept;
  for (size_t i : sweepOverlaps(items, overlaps, &counts)) kept.push_back(*candidates[i]);
  return kept;
}
