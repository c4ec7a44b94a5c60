// The indexed overlap filter against the plain one that compares every pair
// in a shrinking list, on random items with shared proteins, equal scores and
// identical protein sets.
#include "common/overlap_sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <random>
#include <vector>

namespace {

// The filter as first written: a list of candidates shrinking as it runs.
std::vector<size_t> plainSweep(const std::vector<OverlapItem>& items,
                               const std::function<bool(double)>& overlaps, OverlapCounts* counts) {
  std::list<size_t> candidates;
  for (size_t i = 0; i < items.size(); ++i) candidates.push_back(i);
  std::vector<size_t> kept;
  for (auto a = candidates.begin(); a != candidates.end(); ++a) {
    bool dropped = false;
    for (auto b = std::next(a); b != candidates.end();) {
      const OverlapItem &x = items[*a], &y = items[*b];
      std::vector<uint32_t> common;
      std::set_intersection(x.proteins.begin(), x.proteins.end(), y.proteins.begin(), y.proteins.end(),
                            std::back_inserter(common));
      const double ratio = overlapRatio(common.size(), x.proteins.size(), y.proteins.size());
      if (!overlaps(ratio)) {
        ++b;
        continue;
      }
      ++counts->overlapping;
      if (ratio == 1.0) ++counts->fullMatching;
      if (y.score > x.score) {
        dropped = true;
        break;
      }
      b = candidates.erase(b);
    }
    if (!dropped) kept.push_back(*a);
  }
  return kept;
}

std::vector<OverlapItem> randomItems(std::mt19937* rng, size_t n, uint32_t proteins) {
  std::vector<OverlapItem> items;
  for (size_t i = 0; i < n; ++i) {
    if (!items.empty() && (*rng)() % 8 == 0) {
      items.push_back(items[(*rng)() % items.size()]);  // the same proteins again
      continue;
    }
    OverlapItem item;
    const size_t size = (*rng)() % 9;
    for (size_t k = 0; k < size; ++k) item.proteins.push_back((*rng)() % proteins);
    std::sort(item.proteins.begin(), item.proteins.end());
    item.proteins.erase(std::unique(item.proteins.begin(), item.proteins.end()), item.proteins.end());
    item.score = static_cast<double>((*rng)() % 6);  // many equal scores
    items.push_back(item);
  }
  return items;
}

TEST(OverlapSweepTest, SameAsComparingEveryPair) {
  std::mt19937 rng(7);
  const std::vector<std::function<bool(double)>> rules = {
      [](double r) { return !(r < 0.66); },  // seeds
      [](double r) { return r > 0.5; },      // complexes
      [](double r) { return r > 0.0; },      // any shared protein
      [](double r) { return r > -1.0; },     // every pair, shared proteins or not
  };
  for (int round = 0; round < 300; ++round) {
    const std::vector<OverlapItem> items = randomItems(&rng, 1 + rng() % 60, 10 + rng() % 60);
    for (const auto& rule : rules) {
      OverlapCounts fast, plain;
      EXPECT_EQ(sweepOverlaps(items, rule, &fast), plainSweep(items, rule, &plain)) << round;
      EXPECT_EQ(fast.overlapping, plain.overlapping) << round;
      EXPECT_EQ(fast.fullMatching, plain.fullMatching) << round;
    }
  }
}

}  // namespace
