#include "tools/annotate/go_enrichment.h"

#include <algorithm>
#include <map>

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
