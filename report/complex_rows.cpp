#include "report/complex_rows.h"

#include <algorithm>
#include <numeric>

#include "common/overlap_sweep.h"
#include "report/significance.h"

namespace {

void addOverlaps(const RunSummary& summary, std::vector<ComplexRow>* rows) {
  std::vector<OverlapItem> items;
  for (const ComplexRow& r : *rows) items.push_back(OverlapItem{r.complex->proteinIds(), r.score});
  const double threshold = summary.overlapThreshold;
  const std::vector<ItemOverlaps> each = overlapsOfEach(items, [threshold](double ratio) { return ratio > threshold; });
  for (size_t i = 0; i < rows->size(); ++i) {
    (*rows)[i].overlapping = each[i].overlapping;
    (*rows)[i].largestOverlap = each[i].largest;
  }
}

void addRandomFigures(const RunSummary& summary, std::vector<ComplexRow>* rows) {
  std::vector<std::optional<double>> ps;
  for (ComplexRow& row : *rows) {
    if (row.alignedNodes < summary.random.size()) {
      const RandomSizeStat& rs = summary.random[row.alignedNodes];
      row.hasRandom = rs.samples > 0;
      row.randomThreshold = rs.threshold;
      row.randomBest = rs.best;
      row.randomSamples = rs.samples;
      row.empiricalP = rs.empiricalP(row.score);
      row.tailP = rs.tailP(row.score);
    }
    ps.push_back(row.empiricalP);
  }
  const std::vector<std::optional<double>> qs = benjaminiHochberg(ps);
  for (size_t i = 0; i < rows->size(); ++i) (*rows)[i].qValue = qs[i];
}

}  // namespace

bool isConnected(const std::vector<const Node*>& proteins) {
  if (proteins.size() < 2) return true;
  std::vector<bool> reached(proteins.size(), false);
  std::vector<size_t> todo = {0};
  reached[0] = true;
  size_t count = 1;
  while (!todo.empty()) {
    const size_t i = todo.back();
    todo.pop_back();
    for (size_t j = 0; j < proteins.size(); ++j) {
      const edge_t* edge = nullptr;
      if (reached[j] || !Network::areD1nodes(proteins[i], proteins[j], &edge)) continue;
      reached[j] = true;
      ++count;
      todo.push_back(j);
    }
  }
  return count == proteins.size();
}

FinalOverlap finalOverlap(const std::vector<ComplexRow>& rows) {
  FinalOverlap out;
  size_t ends = 0;  // every pair beyond the threshold counts at both of its complexes
  for (const ComplexRow& r : rows) {
    out.largest = std::max(out.largest, r.largestOverlap);
    ends += r.overlapping;
  }
  out.pairsBeyond = ends / 2;
  return out;
}

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
      row.speciesConnected.push_back(isConnected(row.speciesProteins.back()));
    }
    rows.push_back(std::move(row));
  }
  addOverlaps(summary, &rows);
  if (summary.randomFilter) addRandomFigures(summary, &rows);
  const std::vector<size_t> order = byRank(rows);
  for (size_t r = 0; r < order.size(); ++r) rows[order[r]].rank = static_cast<uint>(r + 1);
  return rows;
}
