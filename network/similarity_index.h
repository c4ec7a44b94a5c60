// A compact, read-only view of a finalised network for the searches: every
// node by id, its species, its interaction partners and its similarity
// partners towards each species, as ids in list order. The searches walk
// these lists more than anything else, and ids in one array keep them from
// touching the nodes.
#pragma once

#include <cstdint>
#include <vector>

#include "common/common_types.h"
#include "network/network.h"

class SimilarityIndex {
 public:
  explicit SimilarityIndex(const Network& net);

  uint32_t idLimit() const { return static_cast<uint32_t>(m_nodes.size()); }
  Node* node(uint32_t id) const { return m_nodes[id]; }
  byte species(uint32_t id) const { return m_species[id]; }
  // The partners of node id in species s: [begin, end) of partners().
  const uint32_t* begin(uint32_t id, byte s) const { return &m_partners[m_offsets[id * m_speciesNum + s]]; }
  const uint32_t* end(uint32_t id, byte s) const { return &m_partners[m_offsets[id * m_speciesNum + s + 1]]; }
  // The interaction partners of node id (one entry per interaction entry).
  const uint32_t* interactionsBegin(uint32_t id) const { return &m_interactions[m_interactionOffsets[id]]; }
  const uint32_t* interactionsEnd(uint32_t id) const { return &m_interactions[m_interactionOffsets[id + 1]]; }
  size_t degree(uint32_t id) const { return m_interactionOffsets[id + 1] - m_interactionOffsets[id]; }

 private:
  uint m_speciesNum;
  std::vector<Node*> m_nodes;  // by id; null where no node has the id
  std::vector<byte> m_species;
  std::vector<size_t> m_offsets;  // (id, species) -> first partner; one past the last entry closes it
  std::vector<uint32_t> m_partners;
  std::vector<size_t> m_interactionOffsets;  // by id; one past the last entry closes it
  std::vector<uint32_t> m_interactions;
};
