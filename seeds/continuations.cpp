#include "seeds/continuations.h"

#include <algorithm>

ContinuationMemo::ContinuationMemo(const Network* net, bool d2enabled, size_t byteBudget)
    : m_network(net), m_d2enabled(d2enabled), m_byteBudget(byteBudget) {}

bool ContinuationMemo::get(const SeedFrontend& frontend, byte s, Range* range,
                           std::vector<SeedFrontend>* scratch) {
  const WideKey key{(static_cast<uint64_t>(frontend.nodeId(0)) << 32) | frontend.nodeId(1), s};
  if (const Range* found = m_index.find(key)) {
    *range = *found;
    return true;
  }
  // Memoised ranges must stay valid while the search runs, so a full memo
  // takes no more; the lists are then built for the one caller.
  if (bytes() > m_byteBudget) {
    build(frontend, s, scratch);
    return false;
  }
  range->begin = static_cast<uint32_t>(m_frontends.size());
  build(frontend, s, &m_frontends);
  range->count = static_cast<uint32_t>(m_frontends.size() - range->begin);
  m_index.insert(key, *range);
  return true;
}

void ContinuationMemo::trim() {
  if (bytes() <= m_byteBudget) return;
  clear();
  // A single anchor may have needed far more: give that storage back.
  std::vector<SeedFrontend>().swap(m_frontends);
  m_index.release();
}

void ContinuationMemo::clear() {
  m_frontends.clear();
  m_index.clear();
}

size_t ContinuationMemo::bytes() const {
  return m_frontends.capacity() * sizeof(SeedFrontend) + m_index.bytes() +
         (m_partnerMark.capacity() + m_secondMark.capacity()) * sizeof(uint32_t);
}

void ContinuationMemo::nextStamp() {
  if (++m_stamp == 0) {  // the stamps wrapped: old marks could match again
    std::fill(m_partnerMark.begin(), m_partnerMark.end(), 0);
    std::fill(m_secondMark.begin(), m_secondMark.end(), 0);
    m_stamp = 1;
  }
}

bool ContinuationMemo::markAround(const Node* m0, size_t candidatesCost) {
  nextStamp();
  size_t secondCost = 0;
  for (const edge_t& e : m0->getD1()) {
    if (e.node->m_id >= m_partnerMark.size()) m_partnerMark.resize(e.node->m_id + 1, 0);
    m_partnerMark[e.node->m_id] = m_stamp;
    secondCost += e.node->getEdgesNum();
  }
  if (!m_d2enabled || secondCost > candidatesCost) return false;
  for (const edge_t& e : m0->getD1()) {
    for (const edge_t& e2 : e.node->getD1()) {
      if (e2.node->m_id >= m_secondMark.size()) m_secondMark.resize(e2.node->m_id + 1, 0);
      m_secondMark[e2.node->m_id] = m_stamp;
    }
  }
  return true;
}

bool ContinuationMemo::sharesPartner(const Node* m1, bool partnersOfPartnersMarked) const {
  if (partnersOfPartnersMarked) return m1->m_id < m_secondMark.size() && m_secondMark[m1->m_id] == m_stamp;
  return std::any_of(m1->getD1().begin(), m1->getD1().end(), [this](const edge_t& e) {
    return e.node->m_id < m_partnerMark.size() && m_partnerMark[e.node->m_id] == m_stamp;
  });
}

void ContinuationMemo::build(const SeedFrontend& frontend, byte s, std::vector<SeedFrontend>* out) {
  const edges_list_t& partners1 = frontend.node(1)->getHomologs(s);
  // What testing every candidate's partners against the marks costs.
  size_t candidatesCost = 0;
  for (const edge_t& h1 : partners1) candidatesCost += h1.node->getEdgesNum();
  for (const edge_t& h0 : frontend.node(0)->getHomologs(s)) {
    Node* m0 = h0.node;
    const bool secondMarked = markAround(m0, candidatesCost);
    for (const edge_t& h1 : partners1) {
      Node* m1 = h1.node;
      if (m0 == m1) continue;
      if (m1->m_id < m_partnerMark.size() && m_partnerMark[m1->m_id] == m_stamp) {
        // The entry itself (and so its score) is the one the interaction test returns.
        const edge_t* edge = nullptr;
        const bool interact = Network::areD1nodes(m0, m1, &edge);
        TRELLIS_ASSERT(interact);
        out->emplace_back(m0, m1, edge->score);
      } else if (m_d2enabled && sharesPartner(m1, secondMarked)) {
        out->emplace_back(m0, m1, m_network->scoreNonEdge(m0, m1));
      }
    }
  }
}
