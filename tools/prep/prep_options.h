// The options of the trellis2-prep commands, as parsed from the command line.
#pragma once

#include <cstdint>
#include <string>

struct InteractionOptions {
  std::string from;               // --from: string, biogrid, mitab or edges
  std::string taxid;              // --taxid: NCBI taxonomy id; empty when not given
  std::string id = "systematic";  // --id (BioGRID): systematic, symbol, entrez or uniprot
  bool idGiven = false;
  bool minScoreGiven = false;
  double minScore = 0;    // --min-score: smallest weight kept, in [0, 1]
  bool allTypes = false;  // --all-types (BioGRID): keep genetic interactions too
  std::string channel;    // --channel (STRING): a score column; empty: combined_score
  std::string input;
};

struct SimilarityOptions {
  std::string from;     // --from: blast6
  std::string columns;  // --columns: the -outfmt field list; empty: from the file or the default
  bool maxEvalueGiven = false;
  double maxEvalue = 0;  // --max-evalue: largest E-value kept
  std::string input;
};

struct CheckOptions {
  uint32_t species = 0;  // N, 2..10
  std::string prefix;    // PREFIX of PREFIX_int-<i>.txt and PREFIX_blast.txt
  // Both default to the values of a trellis2 run (RunParams).
  double threshold = 0;  // --threshold: the E-value threshold of the run (trellis2 -H:)
  double beta = 0;       // --beta: the density beta of the run (trellis2 -B:)
};

struct LabelOptions {
  std::string from;                   // --from: fasta, string-info or gaf
  std::string fastaId = "accession";  // --fasta-id (fasta): accession or word
  bool fastaIdGiven = false;
  std::string input;
};
