#include "tools/annotate/complex_matching.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "tools/annotate/weighted_matching.h"

namespace {

struct Overlap {
  uint32_t ref, pred, t;
  double os;
};

double ratio(double part, double whole) { return whole > 0 ? part / whole : 0; }

// Every (reference, predicted) pair sharing a protein, by predicted complex.
std::vector<Overlap> overlaps(const std::vector<std::vector<uint32_t>>& references,
                              const std::vector<std::vector<uint32_t>>& predicted) {
  std::unordered_map<uint32_t, std::vector<uint32_t>> refsOf;  // protein -> references holding it
  for (uint32_t i = 0; i < references.size(); ++i)
    for (uint32_t protein : references[i]) refsOf[protein].push_back(i);
  std::vector<Overlap> out;
  std::vector<uint32_t> shared(references.size(), 0);
  for (uint32_t j = 0; j < predicted.size(); ++j) {
    std::vector<uint32_t> touched;
    for (uint32_t protein : predicted[j]) {
      const auto it = refsOf.find(protein);
      if (it == refsOf.end()) continue;
      for (uint32_t i : it->second)
        if (shared[i]++ == 0) touched.push_back(i);
    }
    std::sort(touched.begin(), touched.end());
    for (uint32_t i : touched) {
      const double t = shared[i];
      out.push_back({i, j, shared[i], t * t / (double(references[i].size()) * double(predicted[j].size()))});
      shared[i] = 0;
    }
  }
  return out;
}

}  // namespace

ComplexMatching matchComplexes(const std::vector<std::vector<uint32_t>>& references,
                               const std::vector<std::vector<uint32_t>>& predicted, double omega) {
  const size_t R = references.size(), P = predicted.size();
  ComplexMatching result;
  result.best.assign(P, BestReference());
  std::vector<bool> refHit(R, omega <= 0 && P > 0), predHit(P, omega <= 0 && R > 0);
  std::vector<uint32_t> refMaxT(R, 0), predMaxT(P, 0), refSumT(R, 0), predSumT(P, 0);
  std::vector<WeightedPair> matchable;
  const std::vector<Overlap> pairs = overlaps(references, predicted);
  for (const Overlap& o : pairs) {
    if (o.os >= omega) refHit[o.ref] = predHit[o.pred] = true;
    if (o.os > omega) matchable.push_back({o.ref, o.pred, o.os});
    refMaxT[o.ref] = std::max(refMaxT[o.ref], o.t);
    predMaxT[o.pred] = std::max(predMaxT[o.pred], o.t);
    refSumT[o.ref] += o.t;
    predSumT[o.pred] += o.t;
    BestReference& best = result.best[o.pred];
    if (o.os > best.os || (o.os == best.os && o.t > best.t)) best = {static_cast<int>(o.ref), o.os, o.t};
  }
  double refSizes = 0, sumRefMaxT = 0, sumPredMaxT = 0, sumT = 0, sumSep = 0;
  for (size_t i = 0; i < R; ++i) {
    refSizes += references[i].size();
    sumRefMaxT += refMaxT[i];
    sumT += refSumT[i];
  }
  for (size_t j = 0; j < P; ++j) sumPredMaxT += predMaxT[j];
  for (const Overlap& o : pairs) sumSep += ratio(o.t, refSumT[o.ref]) * ratio(o.t, predSumT[o.pred]);

  MatchFigures& f = result.figures;
  f.precision = ratio(std::count(predHit.begin(), predHit.end(), true), P);
  f.recall = ratio(std::count(refHit.begin(), refHit.end(), true), R);
  f.mmr = ratio(maxWeightMatching(matchable), R);
  f.sn = ratio(sumRefMaxT, refSizes);
  f.ppv = ratio(sumPredMaxT, sumT);
  f.acc = std::sqrt(f.sn * f.ppv);
  f.sep = std::sqrt(ratio(sumSep, R) * ratio(sumSep, P));
  return result;
}
