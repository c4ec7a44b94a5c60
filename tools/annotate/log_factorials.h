// log(i!) for i up to a bound, summed once, for the many hypergeometric
// first terms of the matched controls. Each value is within about 1e-14 of
// the exact one (relative to log(N!)), far finer than the margins the
// controls leave around the thresholds they compare with.
#pragma once

#include <cstdint>
#include <vector>

class LogFactorials {
 public:
  explicit LogFactorials(uint64_t largest);

  // log P(X = k) for X ~ Hypergeometric(N, K, n), N at most largest; minus
  // infinity for k outside the possible values of X.
  double logPoint(uint64_t N, uint64_t K, uint64_t n, uint64_t k) const;

 private:
  long double logChoose(uint64_t a, uint64_t b) const { return m_log[a] - m_log[b] - m_log[a - b]; }

  std::vector<long double> m_log;
};
