// What both span searches prune with: the rounding slack a bound is trusted
// by, the table of reaches per species set, and the driver that solves the
// roots of a step in order of promise.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "common/common_types.h"
#include "span/bit_subset.h"

// Far more than the rounding of the few additions behind any total: a bound
// is trusted only this far below what it must reach.
inline double boundSlack(double a, double b, double c) {
  return 1e-7 + 1e-9 * (std::fabs(a) + std::fabs(b) + std::fabs(c));
}

// Whether known + reach cannot exceed need, whatever the rounding.
inline bool boundBelow(double known, double reach, double need) {
  return known + reach + boundSlack(known, reach, need) < need;
}

// The most a candidate of each species can add (its own reach), and from it
// the most any span over a set of species can total: the sum of its
// species' own reaches, added from the highest species down.
class ReachTable {
 public:
  ReachTable() = default;

  // Sets every own reach (own[s] for s below species, 0 above) and the sums.
  void build(const double* own, size_t species) {
    for (size_t s = 0; s < MAX_SPECIES; ++s) m_own[s] = s < species ? own[s] : 0;
    const uint masks = 1u << species;
    m_span[0] = 0;
    for (uint mask = 1; mask < masks; ++mask)
      m_span[mask] = m_span[mask & (mask - 1)] + m_own[lowestSpecies(mask)];
  }

  double own(size_t s) const { return m_own[s]; }
  double span(uint mask) const { return m_span[mask]; }

 private:
  double m_own[MAX_SPECIES] = {};
  double m_span[1u << MAX_SPECIES] = {};
};

// One root of a step: what it promises and where it stands among the roots.
struct RootPromise {
  double order;  // roots are solved from the largest order down
  double reach;  // no total grown from the root exceeds it; never rises as order falls
  double kept;   // a second such bound, never above reach
  double own;    // the root's own score, part of every total grown from it
  size_t index;  // its place among the roots: of equal totals the first wins
};

// The winner of a step: the first root (by index) of the largest total above
// `above`. Roots are solved in order of promise so that the best total is high
// early and the bounds rule out most of the rest; the order changes which
// roots are solved, never the winner.
struct RootWinner {
  size_t index = 0;
  double total = 0;
  double span = 0;  // total minus the root's own score
};

// solveAbove(index, floor, &span) solves the span of root `index` exactly when
// it may total more than floor, and returns false otherwise (as SpanSearch's
// solveAbove). Sorts *promises; false when no root totals more than above.
template <class SolveAbove>
bool bestRootByPromise(std::vector<RootPromise>* promises, double above, SolveAbove solveAbove,
                       RootWinner* winner) {
  std::sort(promises->begin(), promises->end(), [](const RootPromise& a, const RootPromise& b) {
    return a.order > b.order || (a.order == b.order && a.index < b.index);
  });
  bool found = false;
  for (const RootPromise& p : *promises) {
    // Only a total reaching the best so far (or above the floor) can win.
    const double target = found ? winner->total : above;
    const double slack = boundSlack(p.own, p.reach, target);
    if (p.reach + slack < target) break;  // the roots after it promise no more
    if (p.kept + boundSlack(p.own, p.kept, target) < target) continue;
    double span = 0;
    if (!solveAbove(p.index, target - p.own - slack, &span)) continue;
    const double total = span + p.own;
    if (!found && !(total > above)) continue;
    // Of equal totals the earlier root wins.
    if (found && !(total > winner->total || (total == winner->total && p.index < winner->index)))
      continue;
    found = true;
    winner->index = p.index;
    winner->total = total;
    winner->span = span;
  }
  return found;
}
