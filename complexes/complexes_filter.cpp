#include "complexes/complexes_filter.h"

#include <algorithm>
#include <cstdio>


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

ComplexesFilter::ComplexesFilter(double overlapThreshold, uint maxSize)
    : m_randScores(maxSize + 1), m_overlapThreshold(overlapThreshold) {
  TRELLIS_ASSERT(maxSize >= MIN_COMPLEX_SIZE && maxSize <= LARGEST_SIZE_CAP);
}

void ComplexesFilter::feedRandomSamples(std::list<Complex>::const_iterator from,
                                        std::list<Complex>::const_iterator to, FILE* console) {
  for (auto it = from; it != to; ++it) {
    const size_t sz = it->size();
    TRELLIS_ASSERT(sz <= maxSize());
    const double w = it->getScore();
    m_randScores[sz].record(w);
    m_randScores[sz].scoresVec.push_back(w);
  }
  updateThresholds();
  printRandStats(console);
}

size_t ComplexesFilter::thresholdIndex(size_t n) { return std::min((95 * n + 49) / 100, n - 1); }

void ComplexesFilter::updateThresholds() {
  for (uint i = MIN_COMPLEX_SIZE; i <= maxSize(); ++i) {
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

void ComplexesFilter::printRandStats(FILE* console) const {
  std::fputs("Updated random statistics / size:\n", console);
  for (uint i = MIN_COMPLEX_SIZE; i <= maxSize(); ++i) {
    const stat_t& st = m_randScores[i];
    if (st.samples == 0) continue;
    std::fprintf(console, "%2u# Count: %3u Score {Best: %3.1f Worst: %3.1f Avg: %3.1f, Top 5%%: %3.1f}\n", i,
                st.samples, st.maxScore, st.minScore, st.sumScore / st.samples, st.significantWeight);
  }
  std::fputs("ok\n", console);
}

bool ComplexesFilter::isPoor(const Complex& c) const {
  TRELLIS_ASSERT(c.size() <= maxSize());
  return m_randScores[c.size()].significantWeight > c.getScore();
}

const ComplexesFilter::stat_t& ComplexesFilter::getRandStat(byte size) const {
  TRELLIS_ASSERT(size >= MIN_COMPLEX_SIZE && size <= maxSize());
  return m_randScores[size];
}

ComplexesFilter::Removed ComplexesFilter::keep(const std::vector<const Complex*>& candidates, bool noise,
                                               bool overlap, std::list<Complex>* out) const {
  Removed removed;
  std::vector<const Complex*> kept;
  for (const Complex* c : candidates) {
    if (noise && isPoor(*c)) {
      ++removed.noise;
    } else {
      kept.push_back(c);
    }
  }
  if (!overlap) {
    for (const Complex* c : kept) out->push_back(*c);
    return removed;
  }
  // Every overlapping pair removes one of the two, so only survivors meet later candidates.
  std::vector<OverlapItem> items;
  items.reserve(kept.size());
  for (const Complex* c : kept) items.push_back(OverlapItem{c->proteinIds(), c->getScore()});
  const double threshold = m_overlapThreshold;
  const auto overlaps = [threshold](double ratio) { return ratio > threshold; };
  for (size_t i : sweepOverlaps(items, overlaps, &removed.overlap)) out->push_back(*kept[i]);
  return removed;
}

void ComplexesFilter::filter(std::list<Complex>::const_iterator from, std::list<Complex>::const_iterator to,
                             std::list<Complex>* out, FILE* console) const {
  std::vector<const Complex*> candidates;
  for (auto it = from; it != to; ++it) candidates.push_back(&*it);
  const uint total = static_cast<uint>(candidates.size());
  const Removed removed = keep(candidates, true, true, out);
  std::fputs("Statistics\n", console);
  std::fprintf(console, "1) Filtered out %d low-scored complexes (due to random noise threshold) (%.1f%%)\n",
              removed.noise, percentOf(removed.noise, total));
  std::fprintf(console, "2) Filtered out %d (including %d 100%% duplicated) complexes (%.1f%%)\n",
              removed.overlap.overlapping, removed.overlap.fullMatching,
              percentOf(removed.overlap.overlapping, total - removed.noise));
}

void ComplexesFilter::filterRefined(const std::list<Complex>& refined, bool noise, bool overlap,
                                    std::list<Complex>* out, FILE* console) const {
  std::vector<const Complex*> candidates;
  for (const Complex& c : refined) candidates.push_back(&c);
  const uint total = static_cast<uint>(candidates.size());
  const Removed removed = keep(candidates, noise, overlap, out);
  std::fputs("Statistics of the refined complexes\n", console);
  if (noise)
    std::fprintf(console, "1) Filtered out %d low-scored complexes (due to random noise threshold) (%.1f%%)\n",
                removed.noise, percentOf(removed.noise, total));
  if (overlap)
    std::fprintf(console, "2) Filtered out %d (including %d 100%% duplicated) complexes (%.1f%%)\n",
                removed.overlap.overlapping, removed.overlap.fullMatching,
                percentOf(removed.overlap.overlapping, total - removed.noise));
}

void ComplexesFilter::print_statistics(const std::list<Complex>& complexes, uint maxSize, FILE* console) {
  std::vector<stat_t> stats(maxSize + 1);
  for (const Complex& c : complexes) {
    TRELLIS_ASSERT(c.size() <= maxSize);
    stats[c.size()].record(c.getScore());
  }
  std::fputs("Complexes statistics / size:\n", console);
  for (uint i = MIN_COMPLEX_SIZE; i <= maxSize; ++i) {
    const stat_t& st = stats[i];
    if (st.samples == 0) continue;
    std::fprintf(console, "%2u# Count: %3u Score {Best: %3.1f Worst: %3.1f Avg: %3.1f}\n", i, st.samples, st.maxScore,
                st.minScore, st.sumScore / st.samples);
  }
  std::fputs("ok\n", console);
}
