// One row per final complex, as the summary table and the HTML report show it:
// id, rank by score, sizes, scores per species, proteins per species, the
// random-pass figures of its size and its empirical p-value.
#pragma once

#include <vector>

#include "common/common_types.h"
#include "complexes/complex.h"
#include "network/network.h"
#include "report/run_summary.h"

struct ComplexRow {
  const Complex* complex = nullptr;
  uint id = 0;
  uint rank = 0;  // 1 = best score; equal scores keep output order
  size_t alignedNodes = 0;
  size_t proteins = 0;
  double score = 0;
  std::vector<double> speciesScores;                      // by species
  std::vector<std::vector<const Node*>> speciesProteins;  // by species, in species-file order
  bool hasRandom = false;                                 // the random pass found complexes of this size
  double randomThreshold = 0;
  double randomBest = 0;
  bool hasEmpiricalP = false;  // a random pass ran
  double empiricalP = 0;       // share of random complexes of this size scoring as high (see RandomSizeStat)
};

// The rows of summary.complexes, in output order.
std::vector<ComplexRow> complexRows(const RunSummary& summary);

// Indexes into rows, best rank first.
std::vector<size_t> byRank(const std::vector<ComplexRow>& rows);
