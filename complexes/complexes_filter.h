// Complex filtering: per-size statistics of the complex scores found on a randomised network, and
// the removal of real complexes that score within random noise or overlap a better complex.
#pragma once

#include <cstdio>
#include <limits>
#include <list>
#include <vector>

#include "common/common_types.h"
#include "common/overlap_sweep.h"
#include "complexes/complex.h"

class ComplexesFilter {
 public:
  // Scores of the complexes of one size (number of aligned nodes).
  struct stat_t {
    uint samples = 0;
    double maxScore = -std::numeric_limits<double>::infinity();
    double minScore = std::numeric_limits<double>::infinity();
    double sumScore = 0;
    // A complex of this size scoring below it is random noise.
    double significantWeight = 0;
    // Every recorded random score; sorted ascending once thresholds are computed.
    std::vector<double> scoresVec;

    // Counts w in samples, best, worst and sum (not in scoresVec).
    void record(double w);
  };

  // Two complexes whose overlap ratio exceeds overlapThreshold are duplicates of each other.
  // Complexes have at most maxSize aligned nodes.
  explicit ComplexesFilter(double overlapThreshold, uint maxSize = MAX_COMPLEX_SIZE);

  // Records the scores of complexes found on a randomised network, recomputes the threshold of
  // every size from all scores recorded so far, and prints the random statistics on console.
  void feedRandomSamples(std::list<Complex>::const_iterator from, std::list<Complex>::const_iterator to,
                         FILE* console = stdout);

  // Whether c scores below the noise threshold of its size.
  bool isPoor(const Complex& c) const;

  // Statistics of size MIN_COMPLEX_SIZE .. maxSize().
  const stat_t& getRandStat(byte size) const;
  uint maxSize() const { return static_cast<uint>(m_randScores.size() - 1); }

  // Appends to out, in input order, copies of the complexes that reach the noise threshold of
  // their size and do not overlap a better-scoring complex (ties keep the earlier one); prints
  // on console how many each filter removed.
  void filter(std::list<Complex>::const_iterator from, std::list<Complex>::const_iterator to,
              std::list<Complex>* out, FILE* console = stdout) const;

  // The same filters once more, each only when asked for, on the refined complexes: refinement
  // raises scores and changes sizes, and re-grown complexes may overlap again.
  void filterRefined(const std::list<Complex>& refined, bool noise, bool overlap, std::list<Complex>* out,
                     FILE* console = stdout) const;

  // Prints per-size count, best, worst and average score of complexes of at most maxSize
  // aligned nodes.
  static void print_statistics(const std::list<Complex>& complexes, uint maxSize = MAX_COMPLEX_SIZE,
                               FILE* console = stdout);

 private:
  // Position of the threshold among n ascending scores: 0.95 n rounded to nearest (halves down),
  // at most the last position.
  static size_t thresholdIndex(size_t n);
  void updateThresholds();
  void printRandStats(FILE* console) const;
  // Appends to out the candidates that reach their size's threshold (when noise) and do not
  // overlap a better one (when overlap); counts what each removed.
  struct Removed {
    uint noise = 0;
    OverlapCounts overlap;
  };
  Removed keep(const std::vector<const Complex*>& candidates, bool noise, bool overlap,
               std::list<Complex>* out) const;

  std::vector<stat_t> m_randScores;  // by size, 0 .. the largest size
  const double m_overlapThreshold;
};
