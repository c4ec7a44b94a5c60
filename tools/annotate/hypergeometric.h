// The upper tail of the hypergeometric distribution, the p-value of an
// enrichment: drawing n of N proteins, K of which carry a term, how likely are
// k or more of the drawn to carry it.
#pragma once

#include <cstdint>

// P(X >= k) for X ~ Hypergeometric(N, K, n). Summed in log space from the
// terms' logarithms, so that it neither overflows nor underflows to 0 while
// the tail is above the smallest double, for N in the millions. 1 for k at or
// below the smallest possible X, 0 for k above the largest. Needs K <= N and
// n <= N.
double hypergeometricUpperTail(uint64_t N, uint64_t K, uint64_t n, uint64_t k);
