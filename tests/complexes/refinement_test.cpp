// Refinement against its plain form, in which every attempt is grown.
#include "complexes/refinement.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "complexes_crawler_test_util.h"

namespace {

Complex plainRefinement(ComplexesCrawler* crawler, const Network* net, uint iterations, const Complex& original) {
  ComplexCoins coins(original.m_id);
  Complex best = original;
  for (uint attempt = 0; attempt < iterations; ++attempt) {
    Seed seed(0);
    size_t index = 0;
    for (const VPath& path : best.paths()) {
      if (index++ < 2 || static_cast<int>(2 * coins.next()) == 0) seed.m_vpaths.push_back(path);
    }
    Complex candidate(best.m_id, net);
    if (crawler->expandComplex(seed, &candidate) && candidate.getScore() > best.getScore())
      best = std::move(candidate);
  }
  return best;
}

std::vector<std::vector<Node*>> proteinsOf(const Complex& c) {
  std::vector<std::vector<Node*>> out;
  for (const VPath& p : c.paths()) out.push_back(p.m_nodes);
  return out;
}

// Complexes grown from random seeds on random networks, small ones (whose
// attempts repeat seeds) among them, refined with few and many attempts.
TEST(RefinementTest, SameComplexesAsEveryAttemptGrown) {
  const std::vector<const VTree*> noTrees;
  size_t small = 0, refined = 0;
  for (uint species : {3u, 4u}) {
    for (gen_type_t type : {TREE, PATH}) {
      crawlertest::NetFixture f(species);
      crawlertest::fillRandom(&f, 10, 0.25, 0.3, 500 + species + type);
      std::mt19937 rng(7 + species);
      ComplexesCrawler crawler(&f.net, 3, type, noTrees);
      ComplexesCrawler reference(&f.net, 3, type, noTrees);
      for (uint id = 1; id <= 12; ++id) {
        Seed seed(2);
        for (VPath& p : seed.m_vpaths) {
          for (byte s = 0; s < species; ++s) p.append(f.net.layer(s)[rng() % f.net.layer(s).size()]);
        }
        Complex grown(id, &f.net);
        if (!crawler.expandComplex(seed, &grown)) continue;
        small += grown.size() <= 5;
        for (uint iterations : {5u, 12u}) {
          const Complex fast = refineComplex(&crawler, &f.net, iterations, grown);
          const Complex plain = plainRefinement(&reference, &f.net, iterations, grown);
          ASSERT_EQ(proteinsOf(fast), proteinsOf(plain)) << species << " species, seed " << id;
          ASSERT_EQ(fast.getScore(), plain.getScore());
          ++refined;
        }
      }
    }
  }
  EXPECT_GT(small, 2u);
  EXPECT_GT(refined, 20u);
}

}  // namespace
