#include "tools/annotate/log_factorials.h"

#include <algorithm>
#include <cmath>
#include <limits>

LogFactorials::LogFactorials(uint64_t largest) : m_log(largest + 1, 0) {
  for (uint64_t i = 2; i <= largest; ++i) m_log[i] = m_log[i - 1] + std::log(static_cast<long double>(i));
}

double LogFactorials::logPoint(uint64_t N, uint64_t K, uint64_t n, uint64_t k) const {
  const uint64_t lowest = n + K > N ? n + K - N : 0;
  if (k < lowest || k > std::min(n, K)) return -std::numeric_limits<double>::infinity();
  return static_cast<double>(logChoose(K, k) + logChoose(N - K, n - k) - logChoose(N, n));
}
