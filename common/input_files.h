// The names of a run's input files under its input prefix: the one place that
// spells them, for the reader, the fingerprint of split runs and the tools.
#pragma once

#include <string>

#include "common/common_types.h"

// Interactions of species s: "<prefix>_int-<s>.txt".
inline std::string interactionFile(const std::string& prefix, uint species) {
  return prefix + "_int-" + std::to_string(species) + ".txt";
}

// Similarities between proteins of all species: "<prefix>_blast.txt".
inline std::string similarityFile(const std::string& prefix) { return prefix + "_blast.txt"; }
