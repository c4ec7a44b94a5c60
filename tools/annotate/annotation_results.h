// What trellis2-annotate found, per species: the GO enrichment of every
// complex and the recovery of known complexes; the tables and the report are
// written from it.
#pragma once

#include <string>
#include <vector>

#include "tools/annotate/complex_matching.h"
#include "tools/annotate/gaf_annotations.h"
#include "tools/annotate/go_enrichment.h"
#include "tools/annotate/go_ontology.h"
#include "tools/annotate/reference_complexes.h"
#include "tools/annotate/run_results.h"

struct SpeciesFunction {
  unsigned species = 0;
  std::string gafFile;
  size_t networkProteins = 0;
  size_t population = 0;                               // N: network proteins carrying an annotation
  size_t byObjectId = 0, bySymbol = 0, bySynonym = 0;  // how they were matched
  std::vector<ComplexEnrichment> complexes;            // per complex of the run, in its order
  size_t tested = 0;                                   // complexes with n >= 2
  size_t coherent = 0;                                 // of those, the coherent ones
  size_t terms = 0;  // distinct terms with corrected p <= COHERENT_P somewhere
};

struct SpeciesKnown {
  unsigned species = 0;
  std::string file, format;
  size_t read = 0;                           // references in the file
  size_t dropped = 0;                        // with fewer than MIN_REFERENCE_PROTEINS in the network
  std::vector<ReferenceComplex> references;  // the kept ones, cut to the network
  std::vector<bool> predicted;               // per complex of the run: has >= 2 proteins in the species
  std::vector<BestReference> best;           // per complex of the run (for the predicted ones)
  size_t predictedCount = 0;
  MatchFigures figures;
};

struct AnnotationResults {
  const RunResults* run = nullptr;
  const GoOntology* go = nullptr;  // nullptr without GO enrichment
  std::string oboFile;
  double maxP = 0.05;
  double overlap = 0.2;
  std::vector<SpeciesFunction> function;  // by ascending species
  std::vector<SpeciesKnown> known;        // by ascending species
};

// The GO enrichment of every complex of run in species s.
SpeciesFunction analyseFunction(unsigned s, const RunResults& run, const NetworkProteins& net,
                                const GoOntology& go, const GafAnnotations& gaf);

// The recovery of the references in species s by the complexes of run.
SpeciesKnown analyseKnown(unsigned s, const RunResults& run, const NetworkProteins& net,
                          const std::string& file, const ReferenceSet& references, double omega);
