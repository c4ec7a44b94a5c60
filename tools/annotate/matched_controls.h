// The matched random controls of one species: for every complex of the run,
// the distinct proteins of its part in the species and `count` connected
// groups of as many proteins drawn from the species' network
// (connected_draw.h), each from its own generator seeded by (seed, complex
// id, species, draw). The controls answer "what would a connected group of
// the same size give?" for every figure measured on the complexes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/annotate/run_results.h"
#include "tools/annotate/species_graph.h"

struct PartControls {
  std::vector<uint32_t> part;  // the complex's distinct proteins of the species
  bool connected = false;      // whether they form one connected subgraph
  double density = 0;          // their interactions over their pairs
  // count groups of part.size() proteins; none when the part is empty or
  // larger than every component of the network.
  std::vector<std::vector<uint32_t>> groups;
  double groupDensity = 0;  // the mean density of the groups

  bool undrawable() const { return !part.empty() && groups.empty(); }
};

class MatchedControls {
 public:
  // The controls of species for complexes (those of a run), whose network is
  // net. Throws ToolError when a complex protein is not in net (readNetwork
  // has checked that for a run).
  MatchedControls(const NetworkProteins& net, const std::vector<RunComplex>& complexes, unsigned species,
                  unsigned count, uint64_t seed);

  unsigned species() const { return m_species; }
  unsigned count() const { return m_count; }
  const SpeciesGraph& graph() const { return m_graph; }
  // Per complex of the run, in its order.
  const std::vector<PartControls>& parts() const { return m_parts; }
  // Parts that have proteins but too many for any component of the network.
  size_t undrawable() const { return m_undrawable; }

 private:
  SpeciesGraph m_graph;
  unsigned m_species;
  unsigned m_count;
  std::vector<PartControls> m_parts;
  size_t m_undrawable = 0;
};
