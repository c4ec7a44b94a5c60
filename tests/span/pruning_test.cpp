#include "span/pruning.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// The driver against the plain rule it stands for: the first root (by index)
// of the largest total above the floor, whatever order the promises sort in and
// however loose or tight (but sound) the bounds are. Totals repeat on purpose.
TEST(PruningTest, DriverPicksTheFirstRootOfTheLargestTotal) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(-4, 6);
  std::uniform_int_distribution<int> loose(0, 3);
  for (int round = 0; round < 2000; ++round) {
    const size_t count = 1 + rng() % 12;
    const double above = rng() % 3 == 0 ? -1.0 : 0.0;
    std::vector<double> own(count), span(count);
    std::vector<RootPromise> promises(count);
    for (size_t i = 0; i < count; ++i) {
      own[i] = pick(rng) * 0.5;
      span[i] = pick(rng) * 0.25;
      const double reach = own[i] + span[i] + loose(rng);
      const double kept = std::min(reach, own[i] + span[i] + loose(rng) * 0.5);
      // Ordered by the reach itself (the complex search) or by the own score
      // when every reach is own + a constant bound (the seed search).
      const double order = round % 2 ? reach : own[i];
      promises[i] = RootPromise{order, round % 2 ? reach : own[i] + 9, kept, own[i], i};
    }
    size_t solved = 0;
    const auto solveAbove = [&](size_t index, double floor, double* out) {
      ++solved;
      if (!(span[index] > floor)) return false;
      *out = span[index];
      return true;
    };
    RootWinner winner;
    const bool found = bestRootByPromise(&promises, above, solveAbove, &winner);

    bool expectFound = false;
    size_t expectIndex = 0;
    for (size_t i = 0; i < count; ++i) {
      const double total = own[i] + span[i];
      if (!(total > above)) continue;
      if (expectFound && !(total > own[expectIndex] + span[expectIndex])) continue;
      expectFound = true;
      expectIndex = i;
    }
    ASSERT_EQ(found, expectFound) << "round " << round;
    if (!found) continue;
    EXPECT_EQ(winner.index, expectIndex) << "round " << round;
    EXPECT_EQ(winner.total, own[expectIndex] + span[expectIndex]);
    EXPECT_EQ(winner.span, span[expectIndex]);
    EXPECT_LE(solved, count);
  }
}

TEST(PruningTest, ReachTableSumsFromTheHighestSpeciesDown) {
  const double own[3] = {0.1, 0.2, 0.7};
  ReachTable table;
  table.build(own, 3);
  EXPECT_EQ(table.span(0), 0);
  EXPECT_EQ(table.span(0b101), 0.7 + 0.1);
  EXPECT_EQ(table.span(0b111), (0.7 + 0.2) + 0.1);
  EXPECT_EQ(table.own(2), 0.7);
  EXPECT_EQ(table.own(3), 0);
  // Rounding matters: a bound just below what it must reach still counts.
  EXPECT_FALSE(boundBelow(0.1 + 0.2, 0, 0.3));
  EXPECT_TRUE(boundBelow(0.29, 0, 0.3));
}

}  // namespace
