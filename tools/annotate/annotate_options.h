// The options of trellis2-annotate, as parsed from the command line.
#pragma once

#include <cstdint>
#include <map>
#include <string>

constexpr uint64_t DEFAULT_CONTROL_SEED = 1;
constexpr unsigned MAX_CONTROLS = 100000;

struct AnnotateOptions {
  std::string outDir;                          // the output directory of a finished trellis2 run
  std::string obo;                             // --obo: the Gene Ontology (OBO 1.2); empty when not given
  std::map<unsigned, std::string> gafs;        // --gaf S=FILE: annotations (GAF 2.x) per species index
  double maxP = 0.05;                          // --max-p: largest corrected p written to go_enrichment.tsv
  std::map<unsigned, std::string> references;  // --reference S=FILE: known complexes per species index
  double overlap = 0.2;                        // --overlap: the overlap score omega of a match
  std::string input;                           // --input: input prefix instead of the manifest's; empty: none
  unsigned controls = 0;                       // --controls: random connected groups per part; 0: none
  uint64_t seed = DEFAULT_CONTROL_SEED;        // --seed: of the controls
  unsigned threads = 0;                        // --threads: 0 for the hardware's

  bool goEnrichment() const { return !obo.empty(); }
  bool knownComplexes() const { return !references.empty(); }
};
