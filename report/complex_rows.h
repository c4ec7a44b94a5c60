// One row per final complex, as the summary table and the HTML report show it:
// id, rank by score, sizes, scores per species, proteins per species, how its
// species parts hang together and how much it overlaps the others, the
// random-pass figures of its size and its p-values.
#pragma once

#include <optional>
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
  std::vector<bool> speciesConnected;  // by species: its proteins form one connected subnetwork
  uint overlapping = 0;                // other complexes overlapping it beyond the filter's threshold
  double largestOverlap = 0;           // its largest overlap ratio with another complex
  bool hasRandom = false;              // the random pass found complexes of this size
  double randomThreshold = 0;
  double randomBest = 0;
  uint randomSamples = 0;             // r: random complexes of its size, behind its p-values
  std::optional<double> empiricalP;  // share of random complexes of this size scoring as high
  std::optional<double> tailP;       // the normal tail fitted to them (see RandomSizeStat)
  std::optional<double> qValue;      // empiricalP corrected over the run's complexes (Benjamini-Hochberg)
};

// The rows of summary.complexes, in output order.
std::vector<ComplexRow> complexRows(const RunSummary& summary);

// Whether the proteins (of one species) form one connected subnetwork through
// their interactions; true for none or one.
bool isConnected(const std::vector<const Node*>& proteins);

// The overlap that the final complexes have: the largest ratio of two of them
// and the number of pairs beyond the filter's threshold.
struct FinalOverlap {
  double largest = 0;
  size_t pairsBeyond = 0;
};
FinalOverlap finalOverlap(const std::vector<ComplexRow>& rows);

// Indexes into rows, best rank first.
std::vector<size_t> byRank(const std::vector<ComplexRow>& rows);
