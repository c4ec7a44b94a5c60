// The overlap filter of seeds and of complexes: items in order, each a set
// of proteins with a score; every item, unless an earlier one removed it, is
// compared with the items after it that are still there, in order. An
// overlapping later item is removed unless it scores strictly higher, in
// which case the current item is dropped and its comparisons end there
// (items it removed stay removed). Kept are the items never removed nor
// dropped, in order.
//
// An index from protein to the items holding it finds the items that share
// a protein with the current one, so the cost follows the overlaps that
// exist, not the square of the item count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/common_types.h"

struct OverlapItem {
  std::vector<uint32_t> proteins;  // distinct protein ids, ascending
  double score;
};

// Shared proteins over the protein count of the smaller set; 0 when either
// set is empty. The same number as the items' own overlap ratios.
double overlapRatio(size_t common, size_t sizeA, size_t sizeB);
// The same for two protein id sets, each ascending.
double overlapRatio(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

struct OverlapCounts {
  uint overlapping = 0;   // pairs found overlapping (each removes one item)
  uint fullMatching = 0;  // of them, pairs of ratio 1
};

// Runs the filter; overlaps(ratio) tells whether two items of that ratio
// overlap. Returns the positions of the kept items, ascending.
std::vector<size_t> sweepOverlaps(const std::vector<OverlapItem>& items,
                                  const std::function<bool(double)>& overlaps, OverlapCounts* counts);

// What every item overlaps among the others: how many pass overlaps(ratio)
// with it, and its largest ratio with any of them (0 when it shares nothing).
struct ItemOverlaps {
  uint overlapping = 0;
  double largest = 0;
};
// Pairs sharing no protein are never counted, so overlaps(0) must be false.
std::vector<ItemOverlaps> overlapsOfEach(const std::vector<OverlapItem>& items,
                                         const std::function<bool(double)>& overlaps);
