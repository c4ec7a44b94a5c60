// Refinement on several threads: every complex is re-grown from random
// subsets of its aligned nodes and the best result is kept, drawing exactly
// the numbers a run on one thread draws, in the same order.
//
// Each attempt keeps the first two aligned nodes of the best complex so far
// and each later one on a fresh draw, so how many numbers a complex draws
// depends on how its attempts went, and where the next complex's draws start
// depends on that. The attempts of one complex run in order on one thread;
// the complexes ahead are refined speculatively, from where their draws
// would start if the complexes before them kept their sizes (complexes of the
// largest size always do). They are checked in order, and a complex whose
// draws turn out to start elsewhere is refined again.
#pragma once

#include <cstddef>
#include <list>
#include <vector>

#include "complexes/complex.h"
#include "complexes/complexes_crawler.h"

class ProgressMeter;

// The drand48 sequence, drawn ahead and given back: commit(n) leaves the
// generator as if exactly n numbers had been drawn since construction. After
// drawAhead(n), at(i) for i < n only reads, from any thread.
class DrawStream {
 public:
  DrawStream();
  void drawAhead(size_t n);
  double at(size_t i) const { return m_draws[i]; }
  size_t drawn() const { return m_draws.size(); }
  void commit(size_t used);

 private:
  unsigned short m_start[3];
  std::vector<double> m_draws;
};

// Refines every complex of `in` with `iterations` attempts on `threads`
// threads, each with a twin of `prototype`; out receives one complex per input
// complex, in order.
void refineInParallel(const Network* network, const ComplexesCrawler& prototype, uint threads,
                      uint iterations, const std::list<Complex>& in, std::list<Complex>* out,
                      ProgressMeter* meter);
