// What the summary outputs of a run are made from: the parameters, the network
// and model statistics, the counts of every search phase, the random-pass score
// statistics and the final complexes.
#pragma once

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/common_types.h"
#include "complexes/complex.h"
#include "network/network.h"
#include "report/protein_labels.h"

class ComplexesFilter;

// What one search phase (random or real pass) found, stage by stage.
struct PhaseCounts {
  bool ran = false;
  size_t seedsFound = 0;           // before the seed overlap filter
  size_t seedsKept = 0;            // after it
  size_t complexesFound = 0;       // grown from the kept seeds
  bool complexesFiltered = false;  // whether the complex filter ran
  size_t complexesKept = 0;        // after the complex filter (all found when it did not run)
  size_t complexesRefined = 0;     // after refinement
  bool refinedFiltered = false;    // whether filters ran again on the refined complexes
  size_t complexesFinal = 0;       // after those filters (all refined when they did not run)
};

// Network and model statistics of one species, as the console reports them.
struct SpeciesStats {
  uint proteins = 0;
  uint interactions = 0;
  uint similarityLinks = 0;  // entries held by the species' proteins, towards every species
  sstat_t model{};           // true-interaction factor, genes, p_true, p_te, expected interactions
  double probObserved = 0;   // p_o: interactions over protein pairs
  uint64_t hubPairs = 0;     // pairs whose missing interaction scores 0

  // The statistics of species s of a finalised network.
  static SpeciesStats of(const Network& network, byte s);
};

// Random-pass scores of the complexes of one size.
struct RandomSizeStat {
  uint samples = 0;            // complexes of this size found on the random network
  double best = 0;             // their best score (when samples > 0)
  double threshold = 0;        // the score a real complex of this size must reach (when samples > 0)
  std::vector<double> scores;  // every one of their scores, ascending

  // (1 + r>=) / (1 + r): r random complexes of this size, r>= of them scoring
  // at least score. Empty when the random passes found none of this size: no
  // sample, no p-value.
  std::optional<double> empiricalP(double score) const;
  // The normal tail fitted to the scores (see normalTailP); empty with fewer
  // than 2 of them or no spread.
  std::optional<double> tailP(double score) const;
};

// Everything the summary writers need, gathered by the pipeline at the end of a run.
struct RunSummary {
  // Option and value as typed on the command line (or the default), in order.
  std::vector<std::pair<std::string, std::string>> parameters;
  std::string inPrefix;
  std::string outPrefix;
  uint speciesNum = 0;
  std::vector<SpeciesStats> species;
  PhaseCounts randomPass;
  PhaseCounts realPass;
  bool randomFilter = false;  // a random pass set the score thresholds
  std::vector<RandomSizeStat> random;  // by size (aligned nodes), up to the size cap
  double overlapThreshold = 0.5;       // the complex filter's: more shared proteins make duplicates
  bool finalOverlapFilter = false;     // the overlap filter ran again on the refined complexes
  bool finalNoiseFilter = false;       // the noise threshold was checked again on them
  const std::list<Complex>* complexes = nullptr;  // the final complexes, in output order
  Naming naming;                                  // species names and protein labels

  // Copies the per-size random statistics and scores of filter and sets randomFilter.
  void takeRandomStats(const ComplexesFilter& filter);
};
