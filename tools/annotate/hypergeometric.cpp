#include "tools/annotate/hypergeometric.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// log C(a, b) for b <= a, in long double. Small b (complexes are small) as a
// sum of logarithms, which keeps the full precision where lgamma of a huge a
// would lose digits.
long double logChoose(uint64_t a, uint64_t b) {
  b = std::min(b, a - b);
  if (b <= 64) {
    long double sum = 0;
    for (uint64_t j = 0; j < b; ++j)
      sum += std::log(static_cast<long double>(a - j)) - std::log(static_cast<long double>(j + 1));
    return sum;
  }
  return std::lgamma(static_cast<long double>(a) + 1) - std::lgamma(static_cast<long double>(b) + 1) -
         std::lgamma(static_cast<long double>(a - b) + 1);
}

}  // namespace

double hypergeometricUpperTail(uint64_t N, uint64_t K, uint64_t n, uint64_t k) {
  const uint64_t lowest = n + K > N ? n + K - N : 0;
  const uint64_t highest = std::min(n, K);
  if (k <= lowest) return 1;
  if (k > highest) return 0;
  const long double logTotal = logChoose(N, n);
  std::vector<long double> logTerms;
  for (uint64_t i = k; i <= highest; ++i)
    logTerms.push_back(logChoose(K, i) + logChoose(N - K, n - i) - logTotal);
  const long double top = *std::max_element(logTerms.begin(), logTerms.end());
  long double sum = 0;
  for (long double t : logTerms) sum += std::exp(t - top);
  const long double p = std::exp(top + std::log(sum));
  return static_cast<double>(std::min<long double>(1, p));
}
