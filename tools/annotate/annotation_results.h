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
#include "tools/annotate/matched_controls.h"
#include "tools/annotate/reference_complexes.h"
#include "tools/annotate/run_results.h"

struct ControlCoherence {
  size_t tested = 0;    // groups with n >= 2
  size_t coherent = 0;  // of those, the coherent ones
};

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
  // The matched controls (none without --controls): per complex, of its
  // groups those with n >= 2 and the coherent ones; the sums over the run.
  unsigned controls = 0;  // groups drawn per part
  std::vector<ControlCoherence> controlParts;
  size_t controlTested = 0, controlCoherent = 0;
  size_t undrawable = 0;  // parts that no component of the network can match
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
  // With matched controls: the figures of every draw's groups (the groups of
  // that draw number, one per part with at least 2 proteins), averaged over
  // the draws.
  unsigned controls = 0;
  MatchFigures controlFigures;
};

struct AnnotationResults {
  const RunResults* run = nullptr;
  const GoOntology* go = nullptr;  // nullptr without GO enrichment
  std::string oboFile;
  double maxP = 0.05;
  double overlap = 0.2;
  std::vector<SpeciesFunction> function;  // by ascending species
  std::vector<SpeciesKnown> known;        // by ascending species
  std::vector<MatchedControls> controls;  // by ascending species; empty without --controls
  uint64_t seed = 0;                      // of the controls
};

// The GO enrichment of every complex of run in species s, and of its matched
// controls when controls is not nullptr (on up to threads threads; the
// results do not depend on their number).
SpeciesFunction analyseFunction(unsigned s, const RunResults& run, const NetworkProteins& net,
                                const GoOntology& go, const GafAnnotations& gaf,
                                const MatchedControls* controls, unsigned threads);

// The recovery of the references in species s by the complexes of run, and
// by the matched controls when controls is not nullptr.
SpeciesKnown analyseKnown(unsigned s, const RunResults& run, const NetworkProteins& net,
                          const std::string& file, const ReferenceSet& references, double omega,
                          const MatchedControls* controls, unsigned threads);
