#include "complexes/refinement.h"

#include <algorithm>
#include <vector>

#include "common/ordered_jobs.h"

namespace {

// The proteins of a seed's aligned nodes, in order: all that its growth depends on.
std::vector<std::vector<Node*>> proteinsOf(const Seed& seed) {
  std::vector<std::vector<Node*>> out;
  out.reserve(seed.m_vpaths.size());
  for (const VPath& path : seed.m_vpaths) out.push_back(path.m_nodes);
  return out;
}

}  // namespace

Complex refineComplex(ComplexesCrawler* crawler, const Network* network, uint iterations,
                      const Complex& original) {
  ComplexCoins coins(original.m_id);
  Complex best = original;
  // A growth is a function of its seed's proteins in order: a seed grown
  // before gave a complex no better than the best, so it is not grown again.
  std::vector<std::vector<std::vector<Node*>>> grown;
  for (uint attempt = 0; attempt < iterations; ++attempt) {
    Seed seed(0);
    size_t index = 0;
    for (const VPath& path : best.paths()) {
      // The first two aligned nodes always stay; each later one survives a coin flip.
      if (index++ < 2 || static_cast<int>(2 * coins.next()) == 0) seed.m_vpaths.push_back(path);
    }
    std::vector<std::vector<Node*>> proteins = proteinsOf(seed);
    if (std::find(grown.begin(), grown.end(), proteins) != grown.end()) continue;
    grown.push_back(std::move(proteins));
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
