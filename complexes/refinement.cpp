#include "complexes/refinement.h"

#include <vector>

#include "common/ordered_jobs.h"

Complex refineComplex(ComplexesCrawler* crawler, const Network* network, uint iterations,
                      const Complex& original) {
  ComplexCoins coins(original.m_id);
  Complex best = original;
  for (uint attempt = 0; attempt < iterations; ++attempt) {
    Seed seed(0);
    size_t index = 0;
    for (const VPath& path : best.paths()) {
      // The first two aligned nodes always stay; each later one survives a coin flip.
      if (index++ < 2 || static_cast<int>(2 * coins.next()) == 0) seed.m_vpaths.push_back(path);
    }
    Complex candidate(best.m_id, network);
    if (crawler->expandComplex(seed, &candidate) && candidate.getScore() > best.getScore())
      best = std::move(candidate);
  }
  return best;
}

void refineComplexes(const Network* network, ComplexesCrawler& crawler, uint iterations,
                     const std::vector<const Complex*>& in, size_t first, size_t last,
                     const std::function<void(size_t, Complex&)>& take) {
  runJobsInOrder<ComplexesCrawler, Complex>(
      crawler.threads(), &crawler, [&crawler] { return crawler.twin(); }, last - first,
      [&](ComplexesCrawler& worker, size_t k) {
        return refineComplex(&worker, network, iterations, *in[first + k]);
      },
      [&take, first](size_t k, Complex&& refined) { take(first + k, refined); });
}
