// The interaction graph of one species as trellis2-annotate needs it for the
// matched controls: proteins numbered as the network numbers them, each with
// its distinct partners and the size of its connected component.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/annotate/run_results.h"

class SpeciesGraph {
 public:
  static constexpr int NONE = -1;

  explicit SpeciesGraph(const NetworkProteins& net);

  size_t size() const { return m_names.size(); }
  const std::string& name(uint32_t v) const { return m_names[v]; }
  // The protein named name; NONE when the network lacks it.
  int find(const std::string& name) const;
  // The partners of v, ascending, each once.
  const std::vector<uint32_t>& partners(uint32_t v) const { return m_partners[v]; }
  bool interact(uint32_t a, uint32_t b) const;
  size_t componentSize(uint32_t v) const { return m_componentSize[m_component[v]]; }
  size_t largestComponent() const { return m_largest; }

  // The proteins whose component holds at least size proteins; the first
  // *count entries of the returned order, which lists the proteins by
  // descending component size, then ascending number.
  const std::vector<uint32_t>& byComponentSize(size_t size, size_t* count) const;

  // Whether the distinct proteins of group form one connected subgraph (a
  // single protein does; an empty group does not).
  bool connected(const std::vector<uint32_t>& group) const;
  // Interactions among the distinct proteins of group over the pairs they
  // form; 0 for fewer than two proteins.
  double density(const std::vector<uint32_t>& group) const;

 private:
  void findComponents();

  std::vector<std::string> m_names;
  std::unordered_map<std::string, uint32_t> m_ids;
  std::vector<std::vector<uint32_t>> m_partners;
  std::vector<uint32_t> m_component;    // per protein
  std::vector<size_t> m_componentSize;  // per component
  std::vector<uint32_t> m_bySize;       // descending component size, then ascending protein
  size_t m_largest = 0;
};
