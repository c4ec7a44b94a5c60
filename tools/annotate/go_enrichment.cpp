#include "tools/annotate/go_enrichment.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "tools/annotate/hypergeometric.h"

ComplexEnrichment enrichComplex(const GoOntology& go, const GoPopulation& population,
                                const std::vector<std::string>& proteins) {
  ComplexEnrichment e;
  e.N = static_cast<unsigned>(population.size());
  std::map<int, unsigned> carriers;  // term -> k
  for (const std::string& protein : proteins) {
    const std::vector<int>* terms = population.termsOf(protein);
    if (terms == nullptr) continue;
    ++e.n;
    for (int t : *terms) ++carriers[t];
  }
  for (const auto& tk : carriers) {
    if (tk.second < 2 || go.isRoot(tk.first)) continue;
    TermTest test;
    test.term = tk.first;
    test.k = tk.second;
    test.K = population.termCount(tk.first);
    test.p = hypergeometricUpperTail(e.N, test.K, e.n, test.k);
    e.tests.push_back(test);
  }
  const double m = static_cast<double>(e.tests.size());
  for (TermTest& test : e.tests) test.correctedP = std::min(1.0, test.p * m);
  std::sort(e.tests.begin(), e.tests.end(), [&go](const TermTest& a, const TermTest& b) {
    if (a.correctedP != b.correctedP) return a.correctedP < b.correctedP;
    return go.id(a.term) < go.id(b.term);
  });
  return e;
}

bool isCoherent(const GoOntology& go, const GoPopulation& population, const LogFactorials& logFactorials,
                const std::vector<std::string>& proteins, unsigned* n) {
  std::vector<int> carried;
  *n = 0;
  for (const std::string& protein : proteins) {
    const std::vector<int>* terms = population.termsOf(protein);
    if (terms == nullptr) continue;
    ++*n;
    carried.insert(carried.end(), terms->begin(), terms->end());
  }
  std::sort(carried.begin(), carried.end());
  std::vector<std::pair<int, unsigned>> tested;  // term, k
  for (size_t i = 0; i < carried.size();) {
    size_t j = i;
    while (j < carried.size() && carried[j] == carried[i]) ++j;
    if (j - i >= 2 && !go.isRoot(carried[i])) tested.emplace_back(carried[i], static_cast<unsigned>(j - i));
    i = j;
  }
  const double m = static_cast<double>(tested.size());
  const unsigned N = static_cast<unsigned>(population.size());
  // A margin far above the error of the first term keeps the shortcut from deciding a tie.
  const double logFirstTermLimit = std::log(COHERENT_P / m) + 1e-6;
  for (const auto& tk : tested) {
    const unsigned K = population.termCount(tk.first);
    if (logFactorials.logPoint(N, K, *n, tk.second) > logFirstTermLimit) continue;
    if (std::min(1.0, hypergeometricUpperTail(N, K, *n, tk.second) * m) <= COHERENT_P) return true;
  }
  return false;
}
