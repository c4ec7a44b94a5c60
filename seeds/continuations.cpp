#include "seeds/continuations.h"

#include <algorithm>
#include <limits>

ContinuationMemo::ContinuationMemo(const Network* net, bool d2enabled, size_t byteBudget)
    : m_ids(*net),
      m_nonEdge(net),
      m_d2enabled(d2enabled),
      m_byteBudget(byteBudget),
      m_partnerMark(m_ids.idLimit(), 0),
      m_secondMark(m_ids.idLimit(), 0) {}

ContinuationMemo::~ContinuationMemo() = default;

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
  range->best = bestScore(&m_frontends[range->begin], range->count);
  m_index.insert(key, *range);
  return true;
}

double ContinuationMemo::bestScore(const SeedFrontend* first, size_t count) {
  double best = -std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < count; ++i) best = std::max(best, first[i].score());
  return best;
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

bool ContinuationMemo::markAround(uint32_t m0, size_t candidatesCost) {
  nextStamp();
  size_t secondCost = 0;
  for (const uint32_t* p = m_ids.interactionsBegin(m0); p != m_ids.interactionsEnd(m0); ++p) {
    m_partnerMark[*p] = m_stamp;
    secondCost += m_ids.degree(*p);
  }
  if (!m_d2enabled || secondCost > candidatesCost) return false;
  for (const uint32_t* p = m_ids.interactionsBegin(m0); p != m_ids.interactionsEnd(m0); ++p) {
    for (const uint32_t* q = m_ids.interactionsBegin(*p); q != m_ids.interactionsEnd(*p); ++q)
      m_secondMark[*q] = m_stamp;
  }
  return true;
}

bool ContinuationMemo::sharesPartner(uint32_t m1, bool partnersOfPartnersMarked) const {
  if (partnersOfPartnersMarked) return m_secondMark[m1] == m_stamp;
  return std::any_of(m_ids.interactionsBegin(m1), m_ids.interactionsEnd(m1),
                     [this](uint32_t partner) { return m_partnerMark[partner] == m_stamp; });
}

void ContinuationMemo::build(const SeedFrontend& frontend, byte s, std::vector<SeedFrontend>* out) {
  const uint32_t* first1 = m_ids.begin(frontend.nodeId(1), s);
  const uint32_t* last1 = m_ids.end(frontend.nodeId(1), s);
  // What testing every candidate's partners against the marks costs.
  size_t candidatesCost = 0;
  for (const uint32_t* p = first1; p != last1; ++p) candidatesCost += m_ids.degree(*p);
  for (const uint32_t* p0 = m_ids.begin(frontend.nodeId(0), s); p0 != m_ids.end(frontend.nodeId(0), s); ++p0) {
    const uint32_t m0 = *p0;
    const bool secondMarked = markAround(m0, candidatesCost);
    for (const uint32_t* p1 = first1; p1 != last1; ++p1) {
      const uint32_t m1 = *p1;
      if (m0 == m1) continue;
      if (m_partnerMark[m1] == m_stamp) {
        // The entry itself (and so its score) is the one the interaction test returns.
        const edge_t* edge = nullptr;
        const bool interact = Network::areD1nodes(m_ids.node(m0), m_ids.node(m1), &edge);
        TRELLIS_ASSERT(interact);
        out->emplace_back(m_ids.node(m0), m_ids.node(m1), edge->score);
      } else if (m_d2enabled && sharesPartner(m1, secondMarked)) {
        out->emplace_back(m_ids.node(m0), m_ids.node(m1), m_nonEdge(m_ids.node(m0), m_ids.node(m1)));
      }
    }
  }
}
