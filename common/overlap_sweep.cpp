#include "common/overlap_sweep.h"

#include <algorithm>

double overlapRatio(size_t common, size_t sizeA, size_t sizeB) {
  const size_t smaller = std::min(sizeA, sizeB);
  if (smaller == 0) return 0.0;
  return static_cast<double>(common) / static_cast<double>(smaller);
}

double overlapRatio(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  size_t common = 0;
  for (auto i = a.begin(), j = b.begin(); i != a.end() && j != b.end();) {
    if (*i < *j) {
      ++i;
    } else if (*j < *i) {
      ++j;
    } else {
      ++common, ++i, ++j;
    }
  }
  return overlapRatio(common, a.size(), b.size());
}

namespace {

// Judges one overlapping pair (current item i, later item j): counts it and
// tells whether i is dropped (j scores higher) or else removes j.
bool judge(const std::vector<OverlapItem>& items, size_t i, size_t j, double ratio,
           std::vector<bool>* removed, OverlapCounts* counts) {
  ++counts->overlapping;
  if (ratio == 1.0) ++counts->fullMatching;
  if (items[j].score > items[i].score) return true;
  (*removed)[j] = true;
  return false;
}

// The later items still there that share a protein with item i, ascending,
// with the number of proteins shared.
class SharingFinder {
 public:
  explicit SharingFinder(const std::vector<OverlapItem>& items) : m_items(items), m_shared(items.size(), 0) {
    uint32_t limit = 0;
    for (const OverlapItem& item : items) {
      if (!item.proteins.empty()) limit = std::max(limit, item.proteins.back() + 1);
    }
    // Holders of each protein, ascending, in one array.
    std::vector<uint32_t> counts(limit + 1, 0);
    for (const OverlapItem& item : items)
      for (uint32_t p : item.proteins) ++counts[p + 1];
    for (uint32_t p = 0; p < limit; ++p) counts[p + 1] += counts[p];
    m_first.assign(counts.begin(), counts.end());
    m_next.assign(counts.begin(), counts.end() - 1);
    m_holders.resize(counts.back());
    std::vector<uint32_t> fill(counts.begin(), counts.end() - 1);
    for (size_t i = 0; i < items.size(); ++i)
      for (uint32_t p : items[i].proteins) m_holders[fill[p]++] = static_cast<uint32_t>(i);
  }

  void find(size_t i, const std::vector<bool>& removed, std::vector<uint32_t>* later) {
    later->clear();
    for (uint32_t p : m_items[i].proteins) {
      // Items are visited in order, so holders up to i are never needed again.
      uint32_t& at = m_next[p];
      while (at < m_first[p + 1] && m_holders[at] <= i) ++at;
      for (uint32_t k = at; k < m_first[p + 1]; ++k) {
        const uint32_t j = m_holders[k];
        if (removed[j]) continue;
        if (m_shared[j]++ == 0) later->push_back(j);
      }
    }
    std::sort(later->begin(), later->end());
  }
  // Proteins j shares with the item of the last find; forgets it.
  uint32_t takeShared(uint32_t j) {
    const uint32_t n = m_shared[j];
    m_shared[j] = 0;
    return n;
  }

 private:
  const std::vector<OverlapItem>& m_items;
  std::vector<uint32_t> m_shared;   // by item: proteins shared with the current item
  std::vector<uint32_t> m_first;    // by protein: its first holder in m_holders; one past the end closes it
  std::vector<uint32_t> m_next;     // by protein: first holder not yet passed
  std::vector<uint32_t> m_holders;  // item positions
};

// Every pair compared: needed when two items without a shared protein count
// as overlapping.
std::vector<size_t> sweepAllPairs(const std::vector<OverlapItem>& items,
                                  const std::function<bool(double)>& overlaps, OverlapCounts* counts) {
  std::vector<size_t> kept;
  std::vector<bool> removed(items.size(), false);
  for (size_t i = 0; i < items.size(); ++i) {
    if (removed[i]) continue;
    bool dropped = false;
    for (size_t j = i + 1; j < items.size() && !dropped; ++j) {
      if (removed[j]) continue;
      const double ratio = overlapRatio(items[i].proteins, items[j].proteins);
      if (overlaps(ratio)) dropped = judge(items, i, j, ratio, &removed, counts);
    }
    if (!dropped) kept.push_back(i);
  }
  return kept;
}

}  // namespace

std::vector<size_t> sweepOverlaps(const std::vector<OverlapItem>& items,
                                  const std::function<bool(double)>& overlaps, OverlapCounts* counts) {
  if (overlaps(0.0)) return sweepAllPairs(items, overlaps, counts);
  SharingFinder finder(items);
  std::vector<bool> removed(items.size(), false);
  std::vector<uint32_t> later;
  std::vector<size_t> kept;
  for (size_t i = 0; i < items.size(); ++i) {
    if (removed[i]) continue;
    finder.find(i, removed, &later);
    bool dropped = false;
    for (uint32_t j : later) {
      const uint32_t shared = finder.takeShared(j);
      if (dropped) continue;  // only the counts are reset now
      const double ratio = overlapRatio(shared, items[i].proteins.size(), items[j].proteins.size());
      if (overlaps(ratio)) dropped = judge(items, i, j, ratio, &removed, counts);
    }
    if (!dropped) kept.push_back(i);
  }
  return kept;
}

std::vector<ItemOverlaps> overlapsOfEach(const std::vector<OverlapItem>& items,
                                         const std::function<bool(double)>& overlaps) {
  TRELLIS_ASSERT(!overlaps(0.0));
  SharingFinder finder(items);
  const std::vector<bool> removed(items.size(), false);
  std::vector<ItemOverlaps> each(items.size());
  std::vector<uint32_t> later;
  for (size_t i = 0; i < items.size(); ++i) {
    finder.find(i, removed, &later);
    for (uint32_t j : later) {
      const double ratio = overlapRatio(finder.takeShared(j), items[i].proteins.size(), items[j].proteins.size());
      for (ItemOverlaps* side : {&each[i], &each[j]}) {
        side->largest = std::max(side->largest, ratio);
        if (overlaps(ratio)) ++side->overlapping;
      }
    }
  }
  return each;
}
