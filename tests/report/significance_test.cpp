// The p-values beside the empirical one: Student's t tail against closed
// forms, the fitted normal tail uniform on simulated null scores, and the
// Benjamini-Hochberg correction against its definition.
#include "report/significance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

TEST(SignificanceTest, StudentTailMatchesClosedForms) {
  for (double t : {-3.0, -0.5, 0.0, 0.7, 2.0, 10.0, 1e3}) {
    // One degree of freedom is the Cauchy law, two have an algebraic tail.
    EXPECT_NEAR(studentTUpperTail(t, 1), 0.5 - std::atan(t) / M_PI, 1e-12) << t;
    EXPECT_NEAR(studentTUpperTail(t, 2), 0.5 * (1 - t / std::sqrt(2 + t * t)), 1e-12) << t;
  }
  EXPECT_NEAR(studentTUpperTail(2.0, 10), 0.036694017385370, 1e-12);
  EXPECT_GT(studentTUpperTail(30.0, 200), 0) << "deep tails stay positive, so they still rank";
  EXPECT_LT(studentTUpperTail(30.0, 200), studentTUpperTail(20.0, 200));
}

// Kolmogorov-Smirnov distance of the values from the uniform law.
double ksDistance(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  double d = 0;
  const double n = static_cast<double>(values.size());
  for (size_t i = 0; i < values.size(); ++i)
    d = std::max({d, (i + 1) / n - values[i], values[i] - i / n});
  return d;
}

TEST(SignificanceTest, FittedTailIsUniformUnderTheNull) {
  std::mt19937_64 rng(7);
  std::normal_distribution<double> score(80, 12);
  for (size_t r : {2, 3, 5, 30}) {
    std::vector<double> ps;
    for (int trial = 0; trial < 4000; ++trial) {
      std::vector<double> random(r);
      for (double& v : random) v = score(rng);
      ps.push_back(*normalTailP(random, score(rng)));
    }
    // The 0.1% critical value of the KS statistic for 4000 draws is 1.95 / sqrt(4000) = 0.031.
    EXPECT_LT(ksDistance(ps), 0.031) << r << " random scores";
  }
  EXPECT_FALSE(normalTailP({5.0}, 9.0)) << "one sample has no spread to fit";
  EXPECT_FALSE(normalTailP({5.0, 5.0, 5.0}, 9.0));
}

TEST(SignificanceTest, BenjaminiHochbergAgainstItsDefinition) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<std::optional<double>> ps;
  for (int i = 0; i < 300; ++i) {
    const int kind = static_cast<int>(rng() % 5);
    ps.push_back(kind == 0 ? std::optional<double>() : kind == 1 ? 0.01 : unit(rng) * unit(rng));
  }
  std::vector<double> sorted;
  for (const auto& p : ps)
    if (p) sorted.push_back(*p);
  std::sort(sorted.begin(), sorted.end());
  const double m = static_cast<double>(sorted.size());
  const std::vector<std::optional<double>> q = benjaminiHochberg(ps);
  ASSERT_EQ(q.size(), ps.size());
  for (size_t i = 0; i < ps.size(); ++i) {
    ASSERT_EQ(q[i].has_value(), ps[i].has_value()) << i;
    if (!ps[i]) continue;
    double want = 1;  // min over the p-values at least as large of p * m / rank
    for (size_t k = 0; k < sorted.size(); ++k)
      if (sorted[k] >= *ps[i]) want = std::min(want, sorted[k] * m / static_cast<double>(k + 1));
    EXPECT_DOUBLE_EQ(*q[i], want) << i;
  }
}

}  // namespace
