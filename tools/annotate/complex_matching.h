// How well predicted complexes recover known (reference) complexes in one
// species. With T_ij the proteins shared by reference i and predicted complex
// j, and OS_ij = T_ij^2 / (|ref_i| |pred_j|) their overlap score:
//
//   precision  share of predicted complexes with OS >= omega against some reference
//   recall     share of references with OS >= omega against some predicted complex
//   MMR        the largest total OS of a one-to-one matching of references and
//              predicted complexes over the pairs with OS > omega, divided by
//              the number of references
//   Sn         sum_i max_j T_ij / sum_i |ref_i|
//   PPV        sum_j max_i T_ij / sum_ij T_ij
//   Acc        sqrt(Sn PPV)
//   Sep        sqrt(Sep_ref Sep_pred), sep_ij = T_ij / sum_j T_ij * T_ij / sum_i T_ij,
//              Sep_ref = sum_ij sep_ij / references, Sep_pred = sum_ij sep_ij / predicted
//
// A figure whose denominator is 0 (no references, no predicted complexes, no
// shared protein) is 0, and so is sep_ij where one of its sums is 0.
#pragma once

#include <cstdint>
#include <vector>

struct MatchFigures {
  double precision = 0, recall = 0, mmr = 0, sn = 0, ppv = 0, acc = 0, sep = 0;
};

// The best reference of one predicted complex: the largest OS, then the
// largest T, then the first reference.
struct BestReference {
  int reference = -1;  // index into the references; -1 when none shares a protein
  double os = 0;
  unsigned t = 0;
};

struct ComplexMatching {
  MatchFigures figures;
  std::vector<BestReference> best;  // per predicted complex
};

// references and predicted hold protein ids, each complex's ids distinct.
ComplexMatching matchComplexes(const std::vector<std::vector<uint32_t>>& references,
                               const std::vector<std::vector<uint32_t>>& predicted, double omega);
