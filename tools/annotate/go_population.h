// The population of a GO enrichment in one species: the proteins of the
// species' network that carry at least one annotation, each with its terms
// propagated to every ancestor, and per term the number of population
// proteins carrying it.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "tools/annotate/gaf_annotations.h"
#include "tools/annotate/go_ontology.h"

class GoPopulation {
 public:
  GoPopulation(const GoOntology& go, const GafAnnotations& gaf,
               const std::vector<std::string>& networkProteins);

  // N: the proteins of the population.
  size_t size() const { return m_terms.size(); }
  // K: the population proteins annotated with term t.
  unsigned termCount(int t) const { return m_termCount[t]; }
  // The propagated terms of protein, ascending; nullptr when it is not in the population.
  const std::vector<int>* termsOf(const std::string& protein) const;

  // How the population proteins were matched (GafAnnotations::Match order).
  size_t byObjectId() const { return m_matched[0]; }
  size_t bySymbol() const { return m_matched[1]; }
  size_t bySynonym() const { return m_matched[2]; }

 private:
  std::unordered_map<std::string, std::vector<int>> m_terms;
  std::vector<unsigned> m_termCount;
  size_t m_matched[3] = {0, 0, 0};
};
