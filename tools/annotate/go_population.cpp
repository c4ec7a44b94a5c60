#include "tools/annotate/go_population.h"

#include <algorithm>

GoPopulation::GoPopulation(const GoOntology& go, const GafAnnotations& gaf,
                           const std::vector<std::string>& networkProteins)
    : m_termCount(go.size(), 0) {
  for (const std::string& protein : networkProteins) {
    GafAnnotations::Match how;
    const std::vector<int> direct = gaf.termsOf(protein, &how);
    if (direct.empty()) continue;
    std::vector<int> terms;
    for (int t : direct) terms.insert(terms.end(), go.withAncestors(t).begin(), go.withAncestors(t).end());
    std::sort(terms.begin(), terms.end());
    terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
    for (int t : terms) ++m_termCount[t];
    ++m_matched[static_cast<int>(how) - 1];
    m_terms.emplace(protein, std::move(terms));
  }
}

const std::vector<int>* GoPopulation::termsOf(const std::string& protein) const {
  const auto it = m_terms.find(protein);
  return it == m_terms.end() ? nullptr : &it->second;
}
