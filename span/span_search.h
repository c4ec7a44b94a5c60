// The dynamic programme that both searches run: the best span of an anchor
// over a set of species. A generator (bit_subset.h) splits the set into the
// species x joined next, the part G1 that hangs below the joined candidate and
// the part G2 that the anchor keeps; the best span is the best combination of
// the anchor's own span over G2, a candidate of species x, and the
// candidate's span over G1. Each (anchor, set) is solved once and memoised by
// the problem.
//
// The problem supplies the anchors and candidates, the memo and the scores:
//
//   typedef ... Anchor, Candidate, Choice;
//   bool lookup(const Anchor&, uint mask, bool* exists, double* score);  // solved before?
//   void store(const Anchor&, uint mask, bool exists, double score, const Choice&, uint anchorSet);
//   Candidates candidates(const Anchor&, byte x);  // size() and [i]: species x's candidates,
//                                                  // in the order they are tried
//   bool admits(const Candidate&);                       // tested before its span is solved
//   bool ownScore(const Candidate&, double*);            // after; false leaves it out
//   Choice choose(const Candidate&, size_t i);  // what a state keeps of the i-th candidate
//   void prefetch(const Candidate&, uint mask);  // its memo entry will be looked up soon
//   Anchor canonical(const Anchor&);  // the form whose span solve computes; the
//                                     // memo answers every form of it alike
//   Generator splits(const Generator&);  // the one split order of its set
//
// A candidate's total is (own + anchor span) + branch span, in that order;
// the first candidate with the largest total wins (a later one must be
// strictly greater). The enumeration order therefore is part of the result.
//
// A problem whose memo has no side effects to preserve (the complex search)
// may use solveAbove instead: given a floor, it solves a span exactly only
// when its total can exceed the floor, and otherwise just learns that it
// cannot. Upper bounds prune the rest: spanBound(S) bounds the total of any
// span over S, ownBound the own score of a candidate before it is scored.
// Candidates are still taken in their order and a later one must be strictly
// better, so every span that is solved exactly is the one solve would find.
// Its problem supplies, instead of lookup and store:
//
//   bool lookupBounded(const Anchor&, uint mask, bool* exact, double* value);
//       // solved before: exact, or known to total at most *value
//   void storeBounded(const Anchor&, uint mask, bool exact, double value, const Choice&, uint anchorSet);
//   double spanBound(uint mask);       // no span over mask totals more
//   bool ownBound(const Candidate&, double*);  // false: it can never join
//   double candidatesReach(const Anchor&, byte x);
//       // no admitted candidate of species x has an own bound above it;
//       // minus infinity when none can join
#pragma once

#include <cmath>
#include <limits>

#include "common/common_types.h"
#include "span/bit_subset.h"
#include "span/pruning.h"

template <class Problem>
class SpanSearch {
 public:
  typedef typename Problem::Anchor Anchor;
  typedef typename Problem::Candidate Candidate;
  typedef typename Problem::Choice Choice;

  explicit SpanSearch(Problem* problem) : m_problem(problem) {}

  // The best span of anchor over G.mask() when its total may exceed floor:
  // true with the exact total in *score; false when no span totals more than
  // floor (or none exists). A true result may still be at or below floor.
  template <class Generator>
  bool solveAbove(const Anchor& anchor, Generator G, double floor, double* score) {
    const uint S = G.mask();
    if (S == 0) {
      *score = 0;
      return true;
    }
    bool exact = false;
    double known = 0;
    if (m_problem->lookupBounded(anchor, S, &exact, &known)) {
      if (exact) {
        *score = known;
        return true;
      }
      if (known <= floor) return false;
    }
    if (below(m_problem->spanBound(S), 0, floor)) return false;
    return solveAboveUnknown(m_problem->canonical(anchor), m_problem->splits(G), floor, score);
  }

  // Whether anchor has a span over G.mask() in the shape of G; *score is its
  // total. The empty set has the empty span, of score 0.
  template <class Generator>
  bool solve(const Anchor& anchor, Generator G, double* score) {
    const uint S = G.mask();
    if (S == 0) {
      *score = 0;
      return true;
    }
    bool exists = false;
    if (m_problem->lookup(anchor, S, &exists, score)) return exists;
    return solveUnknown(m_problem->canonical(anchor), m_problem->splits(G), score);
  }

 private:
  template <class Generator>
  bool solveAboveUnknown(const Anchor& anchor, Generator G, double floor, double* score) {
    const uint S = G.mask();
    Best best;
    byte x = 0;
    Generator G1, G2;
    while (G.next(&x, &G1, &G2)) {
      const double ownReach = m_problem->candidatesReach(anchor, x);
      double need = best.found ? best.score : floor;
      // Every split that joins x next spans the same species, so one bound
      // rules them all out.
      if (ownReach == -std::numeric_limits<double>::infinity() ||
          below(ownReach, m_problem->spanBound(S ^ (1u << x)), need)) {
        G.skipTurn(x);
        continue;
      }
      const double branchReach = m_problem->spanBound(G1.mask());
      double anchorSpan = 0;
      if (!solveAbove(anchor, G2, need - ownReach - branchReach - slack(need, ownReach, branchReach),
                      &anchorSpan))
        continue;
      if (below(anchorSpan + ownReach, branchReach, need)) continue;
      // Built only now: for the seed search, building the list is the costly part.
      const auto list = m_problem->candidates(anchor, x);
      for (size_t i = 0; i < list.size(); ++i) {
        const Candidate c = list[i];
        if (i + 2 < list.size()) m_problem->prefetch(list[i + 2], G1.mask());
        if (!m_problem->admits(c)) continue;
        need = best.found ? best.score : floor;
        double own = 0;
        if (!m_problem->ownBound(c, &own) || below(own + anchorSpan, branchReach, need)) continue;
        if (!m_problem->ownScore(c, &own) || below(own + anchorSpan, branchReach, need)) continue;
        const double partial = own + anchorSpan;
        double branch = 0;
        if (!solveAbove(c, G1, need - partial - slack(need, partial, branchReach), &branch)) continue;
        const double total = partial + branch;
        if (!(total > need)) continue;
        best.found = true;
        best.score = total;
        best.choice = m_problem->choose(c, i);
        best.anchorSet = G2.mask();
      }
    }
    m_problem->storeBounded(anchor, S, best.found, best.found ? best.score : floor, best.choice,
                            best.anchorSet);
    *score = best.score;
    return best.found;
  }

  template <class Generator>
  bool solveUnknown(const Anchor& anchor, Generator G, double* score) {
    const uint S = G.mask();
    Best best;
    byte x = 0;
    Generator G1, G2;
    while (G.next(&x, &G1, &G2)) {
      double anchorSpan = 0;
      if (!solve(anchor, G2, &anchorSpan)) continue;
      const auto list = m_problem->candidates(anchor, x);
      const uint branchSet = G1.mask();
      for (size_t i = 0; i < 2 && i < list.size(); ++i) m_problem->prefetch(list[i], branchSet);
      for (size_t i = 0; i < list.size(); ++i) {
        const Candidate c = list[i];  // a copy: solving below may move the list's storage
        if (i + 2 < list.size()) m_problem->prefetch(list[i + 2], branchSet);
        if (!m_problem->admits(c)) continue;
        double branch = 0;
        if (!solve(c, G1, &branch)) continue;
        double own = 0;
        if (!m_problem->ownScore(c, &own)) continue;
        const double total = (own + anchorSpan) + branch;
        if (best.found && !(total > best.score)) continue;
        best.found = true;
        best.score = total;
        best.choice = m_problem->choose(c, i);
        best.anchorSet = G2.mask();
      }
    }
    m_problem->store(anchor, S, best.found, best.score, best.choice, best.anchorSet);
    *score = best.score;
    return best.found;
  }

  struct Best {
    bool found = false;
    double score = 0;
    Choice choice{};
    uint anchorSet = 0;
  };

  static double slack(double a, double b, double c) { return boundSlack(a, b, c); }
  static bool below(double known, double reach, double need) { return boundBelow(known, reach, need); }

  Problem* m_problem;
};
