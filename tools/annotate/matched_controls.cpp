#include "tools/annotate/matched_controls.h"

#include "tools/annotate/connected_draw.h"
#include "tools/common/text_fields.h"
#include "tools/common/tool_error.h"

MatchedControls::MatchedControls(const NetworkProteins& net, const std::vector<RunComplex>& complexes,
                                 unsigned species, unsigned count, uint64_t seed)
    : m_graph(net), m_species(species), m_count(count) {
  const SpeciesGraph& graph = m_graph;
  for (const RunComplex& c : complexes) {
    PartControls p;
    for (const std::string& name : c.proteins[species]) {
      const int v = graph.find(name);
      if (v == SpeciesGraph::NONE)
        throw ToolError("complex " + std::to_string(c.id) + ": protein " + quoted(name) +
                        " is not in the network of species " + std::to_string(species));
      p.part.push_back(static_cast<uint32_t>(v));
    }
    p.connected = graph.connected(p.part);
    p.density = graph.density(p.part);
    if (!p.part.empty() && p.part.size() <= graph.largestComponent()) {
      double densities = 0;
      for (unsigned d = 0; d < count; ++d) {
        DrawRandom random(seed, c.id, species, d);
        p.groups.push_back(drawConnectedGroup(graph, p.part.size(), random));
        densities += graph.density(p.groups.back());
      }
      p.groupDensity = count > 0 ? densities / count : 0;
    }
    m_undrawable += p.undrawable() && count > 0;
    m_parts.push_back(std::move(p));
  }
}
