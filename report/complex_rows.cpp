#include "report/complex_rows.h"

#include <algorithm>
#include <numeric>

std::vector<size_t> byRank(const std::vector<ComplexRow>& rows) {
  std::vector<size_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&rows](size_t a, size_t b) { return rows[a].score > rows[b].score; });
  return order;
}

std::vector<ComplexRow> complexRows(const RunSummary& summary) {
  std::vector<ComplexRow> rows;
  if (summary.complexes == nullptr) return rows;
  for (const Complex& c : *summary.complexes) {
    ComplexRow row;
    row.complex = &c;
    row.id = c.id();
    row.alignedNodes = c.size();
    row.proteins = c.proteinsNum();
    row.score = c.getScore();
    for (byte s = 0; s < summary.speciesNum; ++s) {
      row.speciesScores.push_back(c.speciesScore(s));
      row.speciesProteins.emplace_back(c.nodesBegin(s), c.nodesEnd(s));
    }
    if (summary.randomFilter && c.size() <= MAX_COMPLEX_SIZE) {
      const RandomSizeStat& rs = summary.random[c.size()];
      row.hasRandom = rs.samples > 0;
      row.randomThreshold = rs.threshold;
      row.randomBest = rs.best;
      row.hasEmpiricalP = true;
      row.empiricalP = rs.empiricalP(row.score);
    }
    rows.push_back(std::move(row));
  }
  const std::vector<size_t> order = byRank(rows);
  for (size_t r = 0; r < order.size(); ++r) rows[order[r]].rank = static_cast<uint>(r + 1);
  return rows;
}
