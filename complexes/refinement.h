// Refinement: every complex is re-grown from random subsets of its aligned
// nodes and the best result is kept. Each complex draws its coin flips from a
// drand48 sequence of its own, seeded from its id, so complexes are refined
// independently of each other: on any thread, in any order, in any process.
#pragma once

#include <functional>
#include <vector>

#include "common/rand48.h"
#include "complexes/complex.h"
#include "complexes/complexes_crawler.h"

// The coin flips of the complex with the given id: the draws of the
// generator srand48(RANDOM_SEED + id) would set (the sum taken modulo 2^32).
class ComplexCoins {
 public:
  explicit ComplexCoins(uint id) : m_draws(static_cast<uint32_t>(RANDOM_SEED) + id) {}
  double next() { return m_draws.next(); }

 private:
  Rand48 m_draws;
};

// `iterations` attempts on one complex, in order: each keeps the first two
// aligned nodes of the best complex so far and each later one on a coin flip,
// re-grows the rest, and takes the result when it scores strictly higher.
Complex refineComplex(ComplexesCrawler* crawler, const Network* network, uint iterations,
                      const Complex& original);

// Refines in[first] .. in[last-1] on crawler.threads() threads (each with a
// twin of the crawler): take(j, refined) in order, the refined complex with
// the id of in[j].
void refineComplexes(const Network* network, ComplexesCrawler& crawler, uint iterations,
                     const std::vector<const Complex*>& in, size_t first, size_t last,
                     const std::function<void(size_t, Complex&)>& take);
