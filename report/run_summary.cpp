#include "report/run_summary.h"

#include <algorithm>

#include "complexes/complexes_filter.h"
#include "report/significance.h"

SpeciesStats SpeciesStats::of(const Network& network, byte s) {
  SpeciesStats st;
  uint entries = 0;
  for (const Node* n : network.layer(s)) {
    entries += static_cast<uint>(n->getD1().size());
    for (byte k = 0; k < network.SPECIES_NUM; ++k)
      st.similarityLinks += static_cast<uint>(n->getHomologsNum(k));
  }
  st.proteins = static_cast<uint>(network.layer(s).size());
  st.interactions = entries / 2;
  st.model = network.netStats()[s];
  const double pairs = 0.5 * st.proteins * (st.proteins - 1.0);
  st.probObserved = pairs > 0 ? st.interactions / pairs : 0;
  st.hubPairs = network.hubPairs(s);
  return st;
}

void RunSummary::takeRandomStats(const ComplexesFilter& filter) {
  randomFilter = true;
  random.assign(filter.maxSize() + 1, RandomSizeStat());
  for (uint size = MIN_COMPLEX_SIZE; size <= filter.maxSize(); ++size) {
    const ComplexesFilter::stat_t& st = filter.getRandStat(static_cast<byte>(size));
    random[size].samples = st.samples;
    random[size].scores = st.scoresVec;
    std::sort(random[size].scores.begin(), random[size].scores.end());
    if (st.samples == 0) continue;
    random[size].best = st.maxScore;
    random[size].threshold = st.significantWeight;
  }
}

std::optional<double> RandomSizeStat::empiricalP(double score) const {
  if (scores.empty()) return std::nullopt;
  const size_t atLeast =
      static_cast<size_t>(scores.end() - std::lower_bound(scores.begin(), scores.end(), score));
  return (1.0 + static_cast<double>(atLeast)) / (1.0 + static_cast<double>(scores.size()));
}

std::optional<double> RandomSizeStat::tailP(double score) const { return normalTailP(scores, score); }
