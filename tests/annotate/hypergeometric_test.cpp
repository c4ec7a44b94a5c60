// The hypergeometric upper tail against exact sums: integer binomials for small
// N, long-double products for N up to millions (where a naive product of
// binomials in double overflows).
#include "tools/annotate/hypergeometric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

typedef unsigned __int128 u128;

u128 exactChoose(uint64_t a, uint64_t b) {
  if (b > a) return 0;
  u128 c = 1;
  for (uint64_t j = 0; j < b; ++j) c = c * (a - j) / (j + 1);  // exact at every step
  return c;
}

// The tail as a ratio of exact integers.
long double exactTail(uint64_t N, uint64_t K, uint64_t n, uint64_t k) {
  u128 hits = 0;
  for (uint64_t i = k; i <= std::min(n, K); ++i) hits += exactChoose(K, i) * exactChoose(N - K, n - i);
  return static_cast<long double>(hits) / static_cast<long double>(exactChoose(N, n));
}

// The tail from binomials as long-double products (long double reaches 1e4932).
long double productTail(uint64_t N, uint64_t K, uint64_t n, uint64_t k) {
  const auto choose = [](uint64_t a, uint64_t b) {
    long double c = 1;
    for (uint64_t j = 0; j < b; ++j) c *= static_cast<long double>(a - j) / static_cast<long double>(j + 1);
    return c;
  };
  long double hits = 0;
  for (uint64_t i = k; i <= std::min(n, K); ++i) hits += choose(K, i) * choose(N - K, n - i);
  return hits / choose(N, n);
}

TEST(HypergeometricTest, RandomSmallCasesEqualExactFractions) {
  std::mt19937_64 rng(11);
  for (int trial = 0; trial < 3000; ++trial) {
    const uint64_t N = 1 + rng() % 60, K = rng() % (N + 1), n = rng() % (N + 1), k = rng() % (n + 2);
    const long double want = exactTail(N, K, n, k);
    const double got = hypergeometricUpperTail(N, K, n, k);
    EXPECT_NEAR(got, static_cast<double>(want), 1e-13 * static_cast<double>(want) + 1e-300)
        << "N " << N << " K " << K << " n " << n << " k " << k;
  }
}

TEST(HypergeometricTest, LargePopulationsNeitherOverflowNorUnderflow) {
  std::mt19937_64 rng(5);
  for (int trial = 0; trial < 300; ++trial) {
    const uint64_t N = 100000 + rng() % 900001, K = 1 + rng() % 2000, n = 2 + rng() % 120, k = 1 + rng() % 20;
    const long double want = productTail(N, K, n, k);
    const double got = hypergeometricUpperTail(N, K, n, k);
    ASSERT_TRUE(std::isfinite(got));
    EXPECT_NEAR(got, static_cast<double>(want), 1e-9 * static_cast<double>(want) + 1e-300)
        << "N " << N << " K " << K << " n " << n << " k " << k;
  }
  // Every protein of a complex of 15 annotated with a term of 15 in a million: about 1.3e-78.
  const double tiny = hypergeometricUpperTail(1000000, 15, 15, 15);
  EXPECT_GT(tiny, 0);
  EXPECT_NEAR(tiny, static_cast<double>(productTail(1000000, 15, 15, 15)), 1e-9 * tiny);
  // A large draw (the lgamma branch of the binomials): about 5 expected, 30 or more seen.
  const double large = hypergeometricUpperTail(1000000, 5000, 1000, 30);
  EXPECT_GT(large, 0);
  EXPECT_NEAR(large, static_cast<double>(productTail(1000000, 5000, 1000, 30)), 1e-9 * large);
}

TEST(HypergeometricTest, BoundsOfTheSupport) {
  EXPECT_EQ(hypergeometricUpperTail(10, 3, 4, 0), 1);
  EXPECT_EQ(hypergeometricUpperTail(10, 3, 4, 4), 0);  // at most 3 carriers
  EXPECT_EQ(hypergeometricUpperTail(10, 8, 5, 3), 1);  // at least 3 of 5 carry it
  EXPECT_EQ(hypergeometricUpperTail(10, 10, 5, 5), 1);
}

}  // namespace
