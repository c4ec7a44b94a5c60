// Known-complex recovery: the figures on a hand case against their
// definitions, MMR against a brute-force matching, and the three reference
// formats.
#include "tools/annotate/complex_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>

#include "test_util.h"
#include "tools/annotate/reference_complexes.h"
#include "tools/annotate/weighted_matching.h"
#include "tools/common/tool_error.h"

namespace {

TEST(ComplexMatchingTest, HandCaseFollowsTheDefinitions) {
  // References r0 {1 2 3 4}, r1 {5 6 7}; predicted p0 {1 2 3}, p1 {4 5}, p2 {8 9}.
  // T: r0-p0 3, r0-p1 1, r1-p1 1. OS: 9/12 = 0.75, 1/8, 1/6.
  const ComplexMatching m = matchComplexes({{1, 2, 3, 4}, {5, 6, 7}}, {{1, 2, 3}, {4, 5}, {8, 9}}, 0.15);
  const MatchFigures& f = m.figures;
  EXPECT_DOUBLE_EQ(f.precision, 2.0 / 3);  // p0 (0.75) and p1 (1/6 against r1)
  EXPECT_DOUBLE_EQ(f.recall, 1.0);
  EXPECT_DOUBLE_EQ(f.mmr, (0.75 + 1.0 / 6) / 2);  // r0-p0 and r1-p1, both above 0.15
  EXPECT_DOUBLE_EQ(f.sn, (3.0 + 1.0) / 7);
  EXPECT_DOUBLE_EQ(f.ppv, (3.0 + 1.0 + 0.0) / 5);
  EXPECT_DOUBLE_EQ(f.acc, std::sqrt(4.0 / 7 * 4.0 / 5));
  // sep: r0-p0 3/4 * 3/3, r0-p1 1/4 * 1/2, r1-p1 1/1 * 1/2.
  const double sep = 0.75 + 0.125 + 0.5;
  EXPECT_DOUBLE_EQ(f.sep, std::sqrt(sep / 2 * sep / 3));
  ASSERT_EQ(m.best.size(), 3u);
  EXPECT_EQ(m.best[0].reference, 0);
  EXPECT_EQ(m.best[0].t, 3u);
  EXPECT_EQ(m.best[1].reference, 1) << "1/6 beats 1/8";
  EXPECT_EQ(m.best[2].reference, -1);
  EXPECT_EQ(m.best[2].os, 0);

  // At omega = 1/6 p1-r1 still counts for precision and recall (>=) but not for MMR (>).
  const MatchFigures g =
      matchComplexes({{1, 2, 3, 4}, {5, 6, 7}}, {{1, 2, 3}, {4, 5}, {8, 9}}, 1.0 / 6).figures;
  EXPECT_DOUBLE_EQ(g.recall, 1.0);
  EXPECT_DOUBLE_EQ(g.mmr, 0.75 / 2);
}

TEST(ComplexMatchingTest, EmptySidesGiveZeroNotNaN) {
  for (const MatchFigures& f :
       {matchComplexes({}, {{1, 2}}, 0.2).figures, matchComplexes({{1, 2, 3}}, {}, 0.2).figures,
        matchComplexes({{1, 2, 3}}, {{4, 5}}, 0.2).figures, matchComplexes({}, {}, 0).figures}) {
    for (double v : {f.precision, f.recall, f.mmr, f.sn, f.ppv, f.acc, f.sep}) EXPECT_EQ(v, 0);
  }
  // omega 0: every complex matches every reference, sharing proteins or not.
  const MatchFigures f = matchComplexes({{1, 2, 3}}, {{4, 5}}, 0).figures;
  EXPECT_EQ(f.precision, 1);
  EXPECT_EQ(f.recall, 1);
}

// The best matching by trying every assignment of the lefts.
double bruteForceMatching(const std::vector<std::vector<double>>& w) {
  const size_t rows = w.size(), cols = w.empty() ? 0 : w[0].size();
  std::vector<bool> used(cols, false);
  std::function<double(size_t)> best = [&](size_t row) -> double {
    if (row == rows) return 0;
    double b = best(row + 1);  // row left unmatched
    for (size_t c = 0; c < cols; ++c) {
      if (used[c] || w[row][c] <= 0) continue;
      used[c] = true;
      b = std::max(b, w[row][c] + best(row + 1));
      used[c] = false;
    }
    return b;
  };
  return best(0);
}

TEST(WeightedMatchingTest, EqualsBruteForceOnRandomSparseGraphs) {
  std::mt19937 rng(3);
  for (int trial = 0; trial < 400; ++trial) {
    const size_t rows = 1 + rng() % 7, cols = 1 + rng() % 7;
    std::vector<std::vector<double>> w(rows, std::vector<double>(cols, 0));
    std::vector<WeightedPair> pairs;
    for (size_t r = 0; r < rows; ++r) {
      for (size_t c = 0; c < cols; ++c) {
        if (rng() % 3 != 0) continue;
        w[r][c] = (1 + rng() % 100) / 100.0;
        pairs.push_back({static_cast<uint32_t>(100 + r), static_cast<uint32_t>(7 * c), w[r][c]});
      }
    }
    std::shuffle(pairs.begin(), pairs.end(), rng);
    EXPECT_NEAR(maxWeightMatching(pairs), bruteForceMatching(w), 1e-12) << "trial " << trial;
  }
}

// Every figure from its definition on the dense T matrix, MMR by brute force.
MatchFigures naiveFigures(const std::vector<std::vector<uint32_t>>& refs,
                          const std::vector<std::vector<uint32_t>>& preds, double omega) {
  const size_t R = refs.size(), P = preds.size();
  std::vector<std::vector<double>> T(R, std::vector<double>(P, 0)), OS = T, matchable = T;
  for (size_t i = 0; i < R; ++i) {
    for (size_t j = 0; j < P; ++j) {
      for (uint32_t a : refs[i]) T[i][j] += std::count(preds[j].begin(), preds[j].end(), a);
      OS[i][j] = T[i][j] * T[i][j] / double(refs[i].size() * preds[j].size());
      matchable[i][j] = OS[i][j] > omega ? OS[i][j] : 0;
    }
  }
  const auto share = [](double part, double whole) { return whole > 0 ? part / whole : 0; };
  MatchFigures f;
  double refSizes = 0, rowMax = 0, colMax = 0, total = 0, sep = 0;
  for (size_t i = 0; i < R; ++i) {
    bool hit = false;
    double best = 0;
    for (size_t j = 0; j < P; ++j) hit = hit || OS[i][j] >= omega;
    f.recall += hit;
    refSizes += refs[i].size();
    for (double t : T[i]) best = std::max(best, t);
    rowMax += best;
  }
  for (size_t j = 0; j < P; ++j) {
    bool hit = false;
    double best = 0;
    for (size_t i = 0; i < R; ++i) {
      hit = hit || OS[i][j] >= omega;
      best = std::max(best, T[i][j]);
      total += T[i][j];
    }
    f.precision += hit;
    colMax += best;
  }
  for (size_t i = 0; i < R; ++i) {
    for (size_t j = 0; j < P; ++j) {
      double rowSum = 0, colSum = 0;
      for (size_t k = 0; k < P; ++k) rowSum += T[i][k];
      for (size_t k = 0; k < R; ++k) colSum += T[k][j];
      sep += share(T[i][j], rowSum) * share(T[i][j], colSum);
    }
  }
  f.precision = share(f.precision, P);
  f.recall = share(f.recall, R);
  f.mmr = share(bruteForceMatching(matchable), R);
  f.sn = share(rowMax, refSizes);
  f.ppv = share(colMax, total);
  f.acc = std::sqrt(f.sn * f.ppv);
  f.sep = std::sqrt(share(sep, R) * share(sep, P));
  return f;
}

TEST(ComplexMatchingTest, RandomCasesEqualTheDefinitions) {
  std::mt19937 rng(17);
  const auto complexes = [&rng](size_t count, size_t minSize) {
    std::vector<std::vector<uint32_t>> out(count);
    for (auto& c : out) {
      std::vector<uint32_t> proteins(12);
      std::iota(proteins.begin(), proteins.end(), 0);
      std::shuffle(proteins.begin(), proteins.end(), rng);
      c.assign(proteins.begin(), proteins.begin() + minSize + rng() % 4);
    }
    return out;
  };
  for (int trial = 0; trial < 300; ++trial) {
    const auto refs = complexes(rng() % 6, 3), preds = complexes(rng() % 6, 2);
    const double omega = (rng() % 5) / 10.0;
    const MatchFigures want = naiveFigures(refs, preds, omega),
                       got = matchComplexes(refs, preds, omega).figures;
    const double g[] = {got.precision, got.recall, got.mmr, got.sn, got.ppv, got.acc, got.sep};
    const double w[] = {want.precision, want.recall, want.mmr, want.sn, want.ppv, want.acc, want.sep};
    for (int k = 0; k < 7; ++k) EXPECT_NEAR(g[k], w[k], 1e-12) << "trial " << trial << " figure " << k;
  }
}

TEST(WeightedMatchingTest, GreedyIsNotEnough) {
  // Greedy takes 0-0 (0.9) and is left with nothing; the best takes 0-1 and 1-0.
  EXPECT_DOUBLE_EQ(maxWeightMatching({{0, 0, 0.9}, {0, 1, 0.8}, {1, 0, 0.8}}), 1.6);
}

NetworkProteins network(const std::vector<std::string>& names) {
  NetworkProteins net;
  net.names = names;
  net.set.insert(names.begin(), names.end());
  return net;
}

TEST(ReferenceFormatsTest, EachFormatIsRecognisedByItsFirstLine) {
  testutil::TempDir dir;
  const std::string plain = dir.file("plain.txt"), cpx = dir.file("9606.tsv"),
                    corum = dir.file("allComplexes.txt");
  testutil::writeFile(plain, "# known\nSMC\tP1,P2 P3\n\nother\tP4\n");
  testutil::writeFile(cpx,
                      "#Complex ac\tRecommended name\tAliases for complex\tTaxonomy identifier\t"
                      "Identifiers (and stoichiometry) of molecules in complex\tEvidence Code\n"
                      "CPX-1\tSMAD2-SMAD3-SMAD4 complex\t-\t9606\tP84022(1)|Q13485-2(1)|CHEBI:18420(0)|"
                      "[O15342,Q8NHE4](1)|URS0000(1)|CPX-2(1)\tECO:0000353\n");
  testutil::writeFile(corum,
                      "ComplexID\tComplexName\tOrganism\tSynonyms\tCell line\tsubunits(UniProt IDs)\n"
                      "1\tBCL6-HDAC4 complex\tHuman\tNone\tNone\tP41182;Q56524;P41182\n");
  ReferenceSet p = readReferenceComplexes(plain);
  EXPECT_EQ(p.format, "plain");
  ASSERT_EQ(p.complexes.size(), 2u);
  EXPECT_EQ(p.complexes[0].id, "SMC");
  EXPECT_EQ(p.complexes[0].members, (std::vector<std::string>{"P1", "P2", "P3"}));

  ReferenceSet c = readReferenceComplexes(cpx);
  EXPECT_EQ(c.format, "complextab");
  ASSERT_EQ(c.complexes.size(), 1u);
  EXPECT_EQ(c.complexes[0].id, "CPX-1");
  EXPECT_EQ(c.complexes[0].name, "SMAD2-SMAD3-SMAD4 complex");
  EXPECT_EQ(c.complexes[0].members, (std::vector<std::string>{"P84022", "Q13485-2", "O15342", "Q8NHE4"}));
  EXPECT_EQ(c.otherMolecules, 3u);

  ReferenceSet k = readReferenceComplexes(corum);
  EXPECT_EQ(k.format, "CORUM");
  ASSERT_EQ(k.complexes.size(), 1u);
  EXPECT_EQ(k.complexes[0].id, "1");
  EXPECT_EQ(k.complexes[0].name, "BCL6-HDAC4 complex");
  EXPECT_EQ(k.complexes[0].members, (std::vector<std::string>{"P41182", "Q56524"}));

  // Cut to a network that names the isoform's accession only: the isoform counts as it.
  size_t dropped = 0;
  const std::vector<ReferenceComplex> kept =
      cutToNetwork(c.complexes, network({"P84022", "Q13485", "Q8NHE4", "P41182"}), &dropped);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].members, (std::vector<std::string>{"P84022", "Q13485", "Q8NHE4"}));
  EXPECT_EQ(dropped, 0u);
  EXPECT_TRUE(cutToNetwork(k.complexes, network({"P41182", "Q56524"}), &dropped).empty());
  EXPECT_EQ(dropped, 1u) << "two proteins left are not enough";
}

TEST(ReferenceFormatsTest, APlainLineWithoutItsTabNamesTheLine) {
  testutil::TempDir dir;
  testutil::writeFile(dir.file("r.txt"), "a\tP1 P2 P3\nb P4 P5\n");
  try {
    readReferenceComplexes(dir.file("r.txt"));
    FAIL();
  } catch (const ToolError& e) {
    EXPECT_EQ(std::string(e.what()),
              dir.file("r.txt") +
                  ":2: expected name<TAB>members (or a complextab or CORUM header), found "
                  "'b P4 P5'");
  }
  EXPECT_TRUE(isUniProtAccession("P84022"));
  EXPECT_TRUE(isUniProtAccession("A0A024RBG1"));
  EXPECT_FALSE(isUniProtAccession("YAL001C"));
  EXPECT_FALSE(isUniProtAccession("CHEBI:1"));
}

}  // namespace
