// Runs the reading and model phases of trellis2 itself on an input set, keeping
// the program's console lines out of standard output, and tells whether the run
// would get past them, and if not, the program's own reason (its error message).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TrellisProbe {
 public:
  // threshold and beta as given to trellis2 with -H: and -B:.
  TrellisProbe(uint32_t species, std::string prefix, double threshold, double beta);

  // True when reading and the model of every species succeed.
  bool run();

  // After a failed run: the message trellis2 would print about the failure.
  const std::string& failure() const { return m_failure; }
  // After a successful run: the hub-pair count of species s.
  uint64_t hubPairs(uint32_t s) const { return m_hubPairs[s]; }

 private:
  // Reads the network and finalises the model, reporting on console.
  void readAndFinalize(FILE* console);

  const uint32_t m_species;
  const std::string m_prefix;
  const double m_threshold;
  const double m_beta;
  std::string m_failure;
  std::vector<uint64_t> m_hubPairs;
};
