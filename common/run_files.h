// The names of a run's files: its inputs under the input prefix, and the
// per-complex files under the output directory. The one place that spells
// them, for the reader and writers, the fingerprint of split runs, the
// clean-up of an earlier run and the tools.
#pragma once

#include <string>

#include "common/common_types.h"
#include "common/text.h"

// Interactions of species s: "<prefix>_int-<s>.txt".
inline std::string interactionFile(const std::string& prefix, uint species) {
  return prefix + "_int-" + std::to_string(species) + ".txt";
}

// Similarities between proteins of all species: "<prefix>_blast.txt".
inline std::string similarityFile(const std::string& prefix) { return prefix + "_blast.txt"; }

// The directory of the alignment files, and that of species s's files.
inline std::string alignmentsDir(const std::string& outDir) { return outDir + "/alignments"; }
inline std::string speciesDir(const std::string& outDir, uint species) {
  return outDir + "/species_" + std::to_string(species);
}

// File names of complex id: "ucomplex_%05u.txt" in the alignments directory,
// "complex_%05u.txt" in each species directory.
constexpr const char* ALIGNMENT_FILE_PREFIX = "ucomplex_";
constexpr const char* SPECIES_FILE_PREFIX = "complex_";
inline std::string complexFileName(const char* prefix, uint id) { return strFormat("%s%05u.txt", prefix, id); }

// Optional labels of the proteins (gene symbols, say): "<prefix>_labels.txt",
// lines of id<TAB>label.
inline std::string labelsFile(const std::string& prefix) { return prefix + "_labels.txt"; }
