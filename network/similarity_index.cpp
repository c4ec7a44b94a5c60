#include "network/similarity_index.h"

#include <algorithm>

SimilarityIndex::SimilarityIndex(const Network& net) : m_speciesNum(net.SPECIES_NUM) {
  uint32_t limit = 1;
  for (byte s = 0; s < net.SPECIES_NUM; ++s) {
    for (const Node* n : net.layer(s)) limit = std::max(limit, n->m_id + 1);
  }
  m_nodes.assign(limit, nullptr);
  m_species.assign(limit, 0);
  for (byte s = 0; s < net.SPECIES_NUM; ++s) {
    for (Node* n : net.layer(s)) {
      m_nodes[n->m_id] = n;
      m_species[n->m_id] = s;
    }
  }
  m_offsets.reserve(static_cast<size_t>(limit) * m_speciesNum + 1);
  for (uint32_t id = 0; id < limit; ++id) {
    for (byte s = 0; s < m_speciesNum; ++s) {
      m_offsets.push_back(m_partners.size());
      if (m_nodes[id] == nullptr) continue;
      for (const edge_t& h : m_nodes[id]->getHomologs(s)) m_partners.push_back(h.node->m_id);
    }
  }
  m_offsets.push_back(m_partners.size());
  m_partners.push_back(0);  // so that begin() of an empty last list stays inside the array
  m_interactionOffsets.reserve(limit + 1);
  for (uint32_t id = 0; id < limit; ++id) {
    m_interactionOffsets.push_back(m_interactions.size());
    if (m_nodes[id] == nullptr) continue;
    for (const edge_t& e : m_nodes[id]->getD1()) m_interactions.push_back(e.node->m_id);
  }
  m_interactionOffsets.push_back(m_interactions.size());
  m_interactions.push_back(0);
}
