#include "complexes/complexes_filter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <iterator>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "network_builders.h"
#include "test_util.h"

namespace {

using testutil::captureStdout;

// Complexes with exact scores and chosen overlaps, built through the real Complex on a finalised
// network. The proteins of the pool (species 0) all interact with each other and every pool edge
// scores 0, except the pair of the first two proteins of the complex being built, which scores as
// requested; so a complex's score is exactly the requested one, whatever other pool proteins it holds.
class FilterFixture : public ::testing::Test {
 protected:
  static constexpr int kPool = 12;

  void SetUp() override {
    m_net = std::make_unique<Network>(2);
    for (int i = 0; i < kPool; ++i) m_pool.push_back(m_net->createNode(("p" + std::to_string(i)).c_str(), 0));
    for (int i = 0; i < kPool; ++i)
      for (int j = i + 1; j < kPool; ++j) link(m_pool[i], m_pool[j]);
    // Sparse background so that the interaction model of both species is valid.
    for (int s = 0; s < 2; ++s)
      for (int i = 0; i < 60; ++i) {
        const std::string base = "s" + std::to_string(s) + "f" + std::to_string(i);
        link(m_net->createNode((base + "a").c_str(), s), m_net->createNode((base + "b").c_str(), s));
      }
    const weight_t trueFact[] = {2.0, 2.0};
    captureStdout([&] { m_net->finalize(0.8, trueFact); });
    for (int i = 0; i < kPool; ++i)
      for (int j = i + 1; j < kPool; ++j) setPairScore(i, j, 0);
  }

  static void link(Node* a, Node* b) { testutil::link(a, b, 0.5); }

  void setPairScore(int i, int j, double score) {
    for (auto [from, to] : {std::make_pair(m_pool[i], m_pool[j]), std::make_pair(m_pool[j], m_pool[i])}) {
      const edges_list_t& edges = from->getD1();
      for (size_t k = 0; k < edges.size(); ++k) {
        if (edges[k].node != to) continue;
        edge_t e = edges[k];
        e.score = score;
        from->replaceEdge(k, e);
      }
    }
  }

  // One aligned node per protein, then repeats of the first protein up to `size` aligned nodes.
  Complex make(uint id, const std::vector<int>& proteins, double score, size_t size = 4) {
    setPairScore(proteins[0], proteins[1], score);
    Complex c(id, m_net.get());
    for (size_t k = 0; k < std::max(size, proteins.size()); ++k) {
      VPath p;
      p.append(m_pool[proteins[k < proteins.size() ? k : 0]]);
      c.addPath(&p);
    }
    setPairScore(proteins[0], proteins[1], 0);
    return c;
  }

  // Random samples of one size with the given scores, each from the same two proteins.
  std::list<Complex> samples(size_t size, const std::vector<double>& scores) {
    std::list<Complex> out;
    for (double s : scores) out.push_back(make(0, {0, 1}, s, size));
    return out;
  }

  static std::vector<double> range(int from, int to) {
    std::vector<double> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
  }

  std::string feed(ComplexesFilter* f, const std::list<Complex>& list) {
    return captureStdout([&] { f->feedRandomSamples(list.begin(), list.end()); });
  }

  // Runs the filter; returns the console text and the ids of the surviving complexes.
  std::string runFilter(const ComplexesFilter& f, const std::list<Complex>& in, std::vector<uint>* ids) {
    std::list<Complex> out;
    const std::string text = captureStdout([&] { f.filter(in.begin(), in.end(), &out); });
    for (const Complex& c : out) ids->push_back(c.m_id);
    return text;
  }

  std::unique_ptr<Network> m_net;
  std::vector<Node*> m_pool;
};

TEST_F(FilterFixture, BuiltComplexesCarryTheRequestedScoreAndOverlap) {
  const Complex a = make(1, {0, 1, 2, 3}, 10);
  const Complex b = make(2, {1, 2, 3, 4}, 12, 6);
  EXPECT_DOUBLE_EQ(a.getScore(), 10);
  EXPECT_DOUBLE_EQ(b.getScore(), 12);
  EXPECT_EQ(b.size(), 6u);
  EXPECT_DOUBLE_EQ(a.intersectRatio(b), 0.75);
}

TEST_F(FilterFixture, ThresholdIsNearTheTopFivePercentAndPrinted) {
  ComplexesFilter f(0.5);
  std::vector<double> scores = range(1, 100);
  std::reverse(scores.begin(), scores.end());  // arrival order must not matter
  EXPECT_EQ(feed(&f, samples(5, scores)),
            "Updated random statistics / size:\n"
            " 5# Count: 100 Score {Best: 100.0 Worst: 1.0 Avg: 50.5, Top 5%: 96.0}\n"
            "ok\n");
  EXPECT_DOUBLE_EQ(f.getRandStat(5).significantWeight, 96);
  EXPECT_DOUBLE_EQ(f.getRandStat(4).significantWeight, 0);
  for (byte size = 6; size <= MAX_COMPLEX_SIZE; ++size)
    EXPECT_DOUBLE_EQ(f.getRandStat(size).significantWeight, 96);
}

TEST_F(FilterFixture, FewSamplesGiveTheLargestOrRoundedPosition) {
  ComplexesFilter f(0.5);
  std::list<Complex> list = samples(4, {2, 7, 5});
  list.splice(list.end(), samples(6, range(1, 29)));
  list.splice(list.end(), samples(7, range(1, 30)));
  list.splice(list.end(), samples(8, range(1, 50)));
  feed(&f, list);
  EXPECT_DOUBLE_EQ(f.getRandStat(4).significantWeight, 7);
  EXPECT_DOUBLE_EQ(f.getRandStat(6).significantWeight, 29);
  EXPECT_DOUBLE_EQ(f.getRandStat(7).significantWeight, 29);
  EXPECT_DOUBLE_EQ(f.getRandStat(8).significantWeight, 48);
}

TEST_F(FilterFixture, EmptySizesInheritTheNextSmallerThreshold) {
  ComplexesFilter f(0.5);
  std::list<Complex> list = samples(4, {3});
  list.splice(list.end(), samples(6, {9}));
  feed(&f, list);
  EXPECT_DOUBLE_EQ(f.getRandStat(5).significantWeight, 3);
  for (byte size = 7; size <= MAX_COMPLEX_SIZE; ++size)
    EXPECT_DOUBLE_EQ(f.getRandStat(size).significantWeight, 9);

  ComplexesFilter noSmallest(0.5);
  feed(&noSmallest, samples(6, {9}));
  EXPECT_DOUBLE_EQ(noSmallest.getRandStat(4).significantWeight, 0);
  EXPECT_DOUBLE_EQ(noSmallest.getRandStat(5).significantWeight, 0);
}

TEST_F(FilterFixture, SamplesAccumulateOverCalls) {
  ComplexesFilter f(0.5);
  feed(&f, samples(5, range(51, 100)));
  EXPECT_DOUBLE_EQ(f.getRandStat(5).significantWeight, 98);
  // Complexes smaller than the smallest kept size are recorded but never printed.
  std::list<Complex> more = samples(5, range(1, 50));
  more.splice(more.end(), samples(2, {1000}));
  EXPECT_EQ(feed(&f, more),
            "Updated random statistics / size:\n"
            " 5# Count: 100 Score {Best: 100.0 Worst: 1.0 Avg: 50.5, Top 5%: 96.0}\n"
            "ok\n");
  EXPECT_EQ(f.getRandStat(5).samples, 100u);
}

TEST_F(FilterFixture, ScoreEqualToThresholdPasses) {
  ComplexesFilter f(0.5);
  feed(&f, samples(4, {1, 2, 3}));
  std::list<Complex> real;
  real.push_back(make(1, {0, 1, 2, 3}, 3));
  real.push_back(make(2, {4, 5, 6, 7}, 2.999));
  EXPECT_FALSE(f.isPoor(real.front()));
  EXPECT_TRUE(f.isPoor(real.back()));
  std::vector<uint> ids;
  EXPECT_EQ(runFilter(f, real, &ids),
            "Statistics\n"
            "1) Filtered out 1 low-scored complexes (due to random noise threshold) (50.0%)\n"
            "2) Filtered out 0 (including 0 100% duplicated) complexes (0.0%)\n");
  EXPECT_EQ(ids, std::vector<uint>({1}));
}

TEST_F(FilterFixture, WithoutRandomSamplesOnlyNegativeScoresAreNoise) {
  ComplexesFilter f(0.5);
  std::list<Complex> real;
  real.push_back(make(1, {0, 1, 2, 3}, -0.5));
  real.push_back(make(2, {4, 5, 6, 7}, 0));
  std::vector<uint> ids;
  runFilter(f, real, &ids);
  EXPECT_EQ(ids, std::vector<uint>({2}));
}

TEST_F(FilterFixture, BetterOverlappingComplexReplacesTheEarlierOne) {
  ComplexesFilter f(0.5);
  std::list<Complex> real;
  real.push_back(make(1, {0, 1, 2, 3}, 10));   // A
  real.push_back(make(2, {1, 2, 3, 4}, 12));   // B: 3 of 4 proteins shared with A
  real.push_back(make(3, {8, 9, 10, 11}, 1));  // unrelated, keeps its place after B
  std::vector<uint> ids;
  const std::string text = runFilter(f, real, &ids);
  EXPECT_NE(text.find("2) Filtered out 1 (including 0 100% duplicated) complexes (33.3%)\n"),
            std::string::npos);
  EXPECT_EQ(ids, std::vector<uint>({2, 3}));

  real.pop_back();
  ids.clear();
  EXPECT_NE(
      runFilter(f, real, &ids).find("2) Filtered out 1 (including 0 100% duplicated) complexes (50.0%)\n"),
      std::string::npos);
  EXPECT_EQ(ids, std::vector<uint>({2}));
}

TEST_F(FilterFixture, ComplexRemovedBeforeItsRemoverIsDroppedStaysRemoved) {
  ComplexesFilter f(0.5);
  std::list<Complex> real;
  real.push_back(make(1, {0, 1, 2, 3, 4, 5}, 10));  // X
  real.push_back(make(2, {0, 1, 2, 6}, 5));         // Y: overlaps X only
  real.push_back(make(3, {3, 4, 5, 7}, 20));        // Z: overlaps X only
  std::vector<uint> ids;
  const std::string text = runFilter(f, real, &ids);
  EXPECT_NE(text.find("2) Filtered out 2 (including 0 100% duplicated) complexes (66.7%)\n"),
            std::string::npos);
  EXPECT_EQ(ids, std::vector<uint>({3}));
}

TEST_F(FilterFixture, OverlapTiesAndBoundaries) {
  ComplexesFilter f(0.5);
  std::vector<uint> ids;
  // Equal scores: the earlier complex survives.
  std::list<Complex> tie;
  tie.push_back(make(1, {0, 1, 2, 3}, 7));
  tie.push_back(make(2, {0, 1, 2, 4}, 7));
  runFilter(f, tie, &ids);
  EXPECT_EQ(ids, std::vector<uint>({1}));

  // A complex contained in another counts as a full duplicate too.
  std::list<Complex> contained;
  contained.push_back(make(1, {0, 1, 2, 3}, 5));
  contained.push_back(make(2, {0, 1, 2, 3, 4, 5}, 3));
  ids.clear();
  EXPECT_NE(runFilter(f, contained, &ids)
                .find("2) Filtered out 1 (including 1 100% duplicated) complexes (50.0%)\n"),
            std::string::npos);
  EXPECT_EQ(ids, std::vector<uint>({1}));

  // An overlap equal to the threshold is not a duplicate.
  std::list<Complex> half;
  half.push_back(make(1, {0, 1, 2, 3}, 5));
  half.push_back(make(2, {0, 1, 4, 5}, 6));
  ids.clear();
  runFilter(f, half, &ids);
  EXPECT_EQ(ids, std::vector<uint>({1, 2}));
}

TEST_F(FilterFixture, EmptyDenominatorsPrintZeroPercent) {
  ComplexesFilter f(0.5);
  std::vector<uint> ids;
  const std::string empty =
      "Statistics\n"
      "1) Filtered out 0 low-scored complexes (due to random noise threshold) (0.0%)\n"
      "2) Filtered out 0 (including 0 100% duplicated) complexes (0.0%)\n";
  EXPECT_EQ(runFilter(f, {}, &ids), empty);

  std::list<Complex> allPoor;
  allPoor.push_back(make(1, {0, 1, 2, 3}, -1));
  EXPECT_EQ(runFilter(f, allPoor, &ids),
            "Statistics\n"
            "1) Filtered out 1 low-scored complexes (due to random noise threshold) (100.0%)\n"
            "2) Filtered out 0 (including 0 100% duplicated) complexes (0.0%)\n");
  EXPECT_TRUE(ids.empty());
}

TEST_F(FilterFixture, SizeStatisticsListEveryKeptSize) {
  std::list<Complex> list = samples(4, {1, 2.5});
  list.splice(list.end(), samples(15, {-3}));
  list.splice(list.end(), samples(3, {100}));  // below the smallest kept size: not listed
  EXPECT_EQ(captureStdout([&] { ComplexesFilter::print_statistics(list); }),
            "Complexes statistics / size:\n"
            " 4# Count:   2 Score {Best: 2.5 Worst: 1.0 Avg: 1.8}\n"
            "15# Count:   1 Score {Best: -3.0 Worst: -3.0 Avg: -3.0}\n"
            "ok\n");
  EXPECT_EQ(captureStdout([&] { ComplexesFilter::print_statistics({}); }),
            "Complexes statistics / size:\nok\n");
}

// The filters of refined complexes, each alone and both, against a plain
// pairwise reference on random lists: many equal scores, shared and repeated
// protein sets, sizes with and without random samples.
TEST_F(FilterFixture, RefinedComplexesFilteredLikeThePlainPairwiseReference) {
  std::mt19937 rng(11);
  ComplexesFilter f(0.5, 8);
  feed(&f, samples(5, range(1, 20)));
  feed(&f, samples(7, {4, 9, 13}));
  for (int trial = 0; trial < 60; ++trial) {
    std::list<Complex> refined;
    for (uint id = 1; id <= 12; ++id) {
      std::vector<int> proteins(kPool);
      std::iota(proteins.begin(), proteins.end(), 0);
      std::shuffle(proteins.begin(), proteins.end(), rng);
      proteins.resize(2 + rng() % 5);
      refined.push_back(make(id, proteins, static_cast<double>(rng() % 20), 4 + rng() % 5));
    }
    for (int mode = 1; mode <= 3; ++mode) {
      const bool noise = mode & 1, overlap = mode & 2;
      // Plain: a shrinking list; an overlapping later complex goes unless it scores higher,
      // which drops the current one.
      std::list<const Complex*> candidates;
      for (const Complex& c : refined)
        if (!noise || c.getScore() >= f.getRandStat(static_cast<byte>(c.size())).significantWeight)
          candidates.push_back(&c);
      std::vector<uint> want;
      for (auto a = candidates.begin(); a != candidates.end(); ++a) {
        bool dropped = false;
        for (auto b = std::next(a); overlap && b != candidates.end();) {
          if (!(overlapRatio((*a)->proteinIds(), (*b)->proteinIds()) > 0.5)) {
            ++b;
          } else if ((*b)->getScore() > (*a)->getScore()) {
            dropped = true;
            break;
          } else {
            b = candidates.erase(b);
          }
        }
        if (!dropped) want.push_back((*a)->m_id);
      }
      std::list<Complex> kept;
      captureStdout([&] { f.filterRefined(refined, noise, overlap, &kept); });
      std::vector<uint> got;
      for (const Complex& c : kept) got.push_back(c.m_id);
      EXPECT_EQ(got, want) << "trial " << trial << " mode " << mode;
    }
  }
}

using FilterFixtureDeathTest = FilterFixture;

TEST_F(FilterFixtureDeathTest, SizesOutsideTheModelAreBrokenInvariants) {
  ComplexesFilter f(0.5);
  EXPECT_DEATH(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        f.getRandStat(MIN_COMPLEX_SIZE - 1);
      },
      "Assertion failed");
  EXPECT_DEATH(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        f.getRandStat(MAX_COMPLEX_SIZE + 1);
      },
      "Assertion failed");
  const std::list<Complex> tooBig = samples(MAX_COMPLEX_SIZE + 1, {1});
  EXPECT_DEATH(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        f.feedRandomSamples(tooBig.begin(), tooBig.end());
      },
      "Assertion failed");
  EXPECT_DEATH(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        ComplexesFilter::print_statistics(tooBig);
      },
      "Assertion failed");
}

}  // namespace
