// GO enrichment of one complex in one species: every term carried by at least
// two of its proteins in the population is tested with the hypergeometric
// upper tail, and the p-values are Bonferroni-corrected by the number of terms
// tested for that complex and species.
#pragma once

#include <string>
#include <vector>

#include "tools/annotate/go_ontology.h"
#include "tools/annotate/go_population.h"
#include "tools/annotate/log_factorials.h"

// A complex is coherent in a species when some term reaches this corrected p.
constexpr double COHERENT_P = 0.01;

struct TermTest {
  int term = GoOntology::NONE;
  unsigned k = 0;         // complex proteins in the population carrying the term
  unsigned K = 0;         // population proteins carrying it
  double p = 1;           // P(X >= k), X ~ Hypergeometric(N, K, n)
  double correctedP = 1;  // min(1, p * m), m = the terms tested
};

struct ComplexEnrichment {
  unsigned n = 0;               // complex proteins in the population
  unsigned N = 0;               // population size
  std::vector<TermTest> tests;  // every tested term: corrected p ascending, then term id
  bool coherent() const { return !tests.empty() && tests.front().correctedP <= COHERENT_P; }
};

// Tests the terms of the proteins of one complex in one species (names not in
// the population count for nothing). The aspect roots are never tested.
ComplexEnrichment enrichComplex(const GoOntology& go, const GoPopulation& population,
                                const std::vector<std::string>& proteins);

// Whether proteins are coherent, decided as enrichComplex(...).coherent()
// decides it, for the many groups of the matched controls: a term's tail is
// summed only where its first term, P(X = k), which is never larger, leaves
// it a chance to reach COHERENT_P, and the first term that does ends the
// test. logFactorials reach the population size. *n receives the proteins
// in the population.
bool isCoherent(const GoOntology& go, const GoPopulation& population, const LogFactorials& logFactorials,
                const std::vector<std::string>& proteins, unsigned* n);
