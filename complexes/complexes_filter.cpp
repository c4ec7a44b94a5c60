#include "complexes/complexes_filter.h"

#include <algorithm>
#include <cstdio>

#include "common/overlap_sweep.h"

namespace {

// 100 * part / whole; 0 when there is nothing to divide, so that a report never shows "nan".
double percentOf(uint part, uint whole) { return whole == 0 ? 0.0 : 100.0 * part / whole; }

}  // namespace

void ComplexesFilter::stat_t::record(double w) {
  ++samples;
  maxScore = std::max(maxScore, w);
  minScore = std::min(minScore, w);
  sumScore += w;
}

ComplexesFilter::ComplexesFilter(double overlapThreshold) : m_overlapThreshold(overlapThreshold) {}

void ComplexesFilter::feedRandomSamples(std::list<Complex>::const_iterator from,
                                        std::list<Complex>::const_iterator to) {
  for (auto it = from; it != to; ++it) {
    const size_t sz = it->size();
    TRELLIS_ASSERT(sz <= MAX_COMPLEX_SIZE);
    const double w = it->getScore();
    m_randScores[sz].record(w);
    m_randScores[sz].scoresVec.push_back(w);
  }
  updateThresholds();
  printRandStats();
}

size_t ComplexesFilter::thresholdIndex(size_t n) { return std::min((95 * n + 49) / 100, n - 1); }

void ComplexesFilter::updateThresholds() {
  for (uint i = MIN_COMPLEX_SIZE; i <= MAX_COMPLEX_SIZE; ++i) {
    stat_t& st = m_randScores[i];
    if (st.scoresVec.empty()) {
      // A size never seen by chance is held to the bar of the next smaller size.
      st.significantWeight = m_randScores[i - 1].significantWeight;
      continue;
    }
    std::sort(st.scoresVec.begin(), st.scoresVec.end());
    st.significantWeight = st.scoresVec[thresholdIndex(st.scoresVec.size())];
  }
}

void ComplexesFilter::printRandStats() const {
  std::puts("Updated random statistics / size:");
  for (uint i = MIN_COMPLEX_SIZE; i <= MAX_COMPLEX_SIZE; ++i) {
    const stat_t& st = m_randScores[i];
    if (st.samples == 0) continue;
    std::printf("%2u# Count: %3u Score {Best: %3.1f Worst: %3.1f Avg: %3.1f, Top 5%%: %3.1f}\n", i,
                st.samples, st.maxScore, st.minScore, st.sumScore / st.samples, st.significantWeight);
  }
  std::puts("ok");
}

bool ComplexesFilter::isPoor(const Complex& c) const {
  TRELLIS_ASSERT(c.size() <= MAX_COMPLEX_SIZE);
  return m_randScores[c.size()].significantWeight > c.getScore();
}

const ComplexesFilter::stat_t& ComplexesFilter::getRandStat(byte size) const {
  TRELLIS_ASSERT(size >= MIN_COMPLEX_SIZE && size <= MAX_COMPLEX_SIZE);
  return m_randScores[size];
}

void ComplexesFilter::filter(std::list<Complex>::const_iterator from, std::list<Complex>::const_iterator to,
                             std::list<Complex>* out) const {
  uint total = 0, noiceThresholded = 0, overlapping = 0, fullMatching = 0;
  std::vector<const Complex*> candidates;
  for (auto it = from; it != to; ++it) {
    ++total;
    if (isPoor(*it)) {
      ++noiceThresholded;
    } else {
      candidates.push_back(&*it);
    }
  }

  // Every overlapping pair removes one of the two, so only survivors meet later candidates.
  std::vector<OverlapItem> items;
  items.reserve(candidates.size());
  for (const Complex* c : candidates) items.push_back(OverlapItem{c->proteinIds(), c->getScore()});
  OverlapCounts counts;
  const double threshold = m_overlapThreshold;
  const auto overlaps = [threshold](double ratio) { return ratio > threshold; };
  for (size_t i : sweepOverlaps(items, overlaps, &counts)) out->push_back(*candidates[i]);
  overlapping = counts.overlapping;
  fullMatching = counts.fullMatching;

  std::puts("Statistics");
  std::printf("1) Filtered out %d low-scored complexes (due to random noise threshold) (%.1f%%)\n",
              noiceThresholded, percentOf(noiceThresholded, total));
  std::printf("2) Filtered out %d (including %d 100%% duplicated) complexes (%.1f%%)\n", overlapping,
              fullMatching, percentOf(overlapping, total - noiceThresholded));
}

void ComplexesFilter::print_statistics(const std::list<Complex>& complexes) {
  stat_t stats[MAX_COMPLEX_SIZE + 1];
  for (const Complex& c : complexes) {
    TRELLIS_ASSERT(c.size() <= MAX_COMPLEX_SIZE);
    stats[c.size()].record(c.getScore());
  }
  std::puts("Complexes statistics / size:");
  for (uint i = MIN_COMPLEX_SIZE; i <= MAX_COMPLEX_SIZE; ++i) {
    const stat_t& st = stats[i];
    if (st.samples == 0) continue;
    std::printf("%2u# Count: %3u Score {Best: %3.1f Worst: %3.1f Avg: %3.1f}\n", i, st.samples, st.maxScore,
                st.minScore, st.sumScore / st.samples);
  }
  std::puts("ok");
}
