// Refinement: every complex is re-grown from random subsets of its aligned
// nodes and the best result is kept. Each complex draws its coin flips from a
// drand48 sequence of its own, seeded from its id, so complexes are refined
// independently of each other: on any thread, in any order, in any process.
#pragma once

#include <functional>
#include <list>
#include <vector>

#include "complexes/complex.h"
#include "complexes/complexes_crawler.h"

class ProgressMeter;

// The coin flips of the complex with the given id: erand48 on the state that
// srand48(RANDOM_SEED + id) would set (the sum taken modulo 2^32).
class ComplexCoins {
 public:
  explicit ComplexCoins(uint id);
  double next();

 private:
  unsigned short m_state[3];
};

// `iterations` attempts on one complex, in order: each keeps the first two
// aligned nodes of the best complex so far and each later one on a coin flip,
// re-grows the rest, and takes the result when it scores strictly higher.
Complex refineComplex(ComplexesCrawler* crawler, const Network* network, uint iterations,
                      const Complex& original);

// Refines every complex of `in` on crawler.threads() threads (each with a twin
// of the crawler); out receives one complex per input complex, in order, with
// its id.
void refineComplexes(const Network* network, ComplexesCrawler& crawler, uint iterations,
                     const std::list<Complex>& in, std::list<Complex>* out, ProgressMeter* meter = nullptr);
// Refines in[first] .. in[last-1] the same way: take(j, refined) in order.
void refineComplexes(const Network* network, ComplexesCrawler& crawler, uint iterations,
                     const std::vector<const Complex*>& in, size_t first, size_t last,
                     const std::function<void(size_t, Complex&)>& take);
