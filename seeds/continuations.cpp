#include "seeds/continuations.h"

#include <algorithm>

namespace {

constexpr size_t SHELVES = 256;

}  // namespace

// ------------------------------------------------------------------ builder

ContinuationBuilder::ContinuationBuilder(const Network* net, const SimilarityIndex* index, bool d2enabled)
    : m_ids(*index),
      m_nonEdge(net),
      m_d2enabled(d2enabled),
      m_partnerMark(index->idLimit(), 0),
      m_secondMark(index->idLimit(), 0) {}

void ContinuationBuilder::nextStamp() {
  if (++m_stamp == 0) {  // the stamps wrapped: old marks could match again
    std::fill(m_partnerMark.begin(), m_partnerMark.end(), 0);
    std::fill(m_secondMark.begin(), m_secondMark.end(), 0);
    m_stamp = 1;
  }
}

bool ContinuationBuilder::markAround(uint32_t m0, size_t candidatesCost) {
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

bool ContinuationBuilder::sharesPartner(uint32_t m1, bool partnersOfPartnersMarked) const {
  if (partnersOfPartnersMarked) return m_secondMark[m1] == m_stamp;
  return std::any_of(m_ids.interactionsBegin(m1), m_ids.interactionsEnd(m1),
                     [this](uint32_t partner) { return m_partnerMark[partner] == m_stamp; });
}

void ContinuationBuilder::build(const SeedFrontend& frontend, byte s, std::vector<Continuation>* out) {
  const uint32_t* first1 = m_ids.begin(frontend.nodeId(1), s);
  const uint32_t* last1 = m_ids.end(frontend.nodeId(1), s);
  // What testing every candidate's partners against the marks costs.
  size_t candidatesCost = 0;
  for (const uint32_t* p = first1; p != last1; ++p) candidatesCost += m_ids.degree(*p);
  for (const uint32_t* p0 = m_ids.begin(frontend.nodeId(0), s); p0 != m_ids.end(frontend.nodeId(0), s);
       ++p0) {
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
        out->push_back(Continuation{{m0, m1}, edge->score});
      } else if (m_d2enabled && sharesPartner(m1, secondMarked)) {
        out->push_back(Continuation{{m0, m1}, m_nonEdge(m_ids.node(m0), m_ids.node(m1))});
      }
    }
  }
}

// -------------------------------------------------------------------- store

namespace {

size_t chunkFor(size_t shelvesBudget, size_t minChunk, size_t maxChunk) {
  size_t chunk = maxChunk;
  while (chunk > minChunk && SHELVES * chunk * sizeof(Continuation) > shelvesBudget / 4) chunk /= 2;
  return chunk;
}

}  // namespace

ContinuationStore::ContinuationStore(size_t byteBudget)
    : m_index(byteBudget / 4),
      m_shelves(SHELVES),
      m_budget(byteBudget - byteBudget / 4),
      m_chunk(chunkFor(m_budget, MIN_CHUNK, MAX_CHUNK)) {}

size_t ContinuationStore::budgetFor(size_t lists, size_t continuations, size_t limit) {
  // The index takes a quarter of the budget, the shelves the rest, of which
  // up to a quarter (or one smallest block per shelf) stays in partly filled
  // blocks.
  const size_t index = ConcurrentTable<List>::budgetFor(lists, limit);
  const size_t each = sizeof(Continuation);
  const size_t shelves = continuations >= limit / (2 * each) ? limit : 2 * continuations * each;
  const size_t spare = 8 * SHELVES * MIN_CHUNK * each;
  if (index >= limit / 4 || shelves >= limit / 2) return limit;
  return std::min(limit, 4 * index + 2 * shelves + spare);
}

double ContinuationStore::bestScore(const Continuation* first, size_t count) {
  double best = -std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < count; ++i) best = std::max(best, first[i].score);
  return best;
}

bool ContinuationStore::find(const SeedFrontend& frontend, byte s, List* out) const {
  return m_index.find(key(frontend, s), out);
}

Continuation* ContinuationStore::reserve(Shelf* shelf, size_t n) {
  if (n == 0) return nullptr;
  if (shelf->used + n <= shelf->room) {
    Continuation* room = &shelf->blocks.back()[shelf->used];
    shelf->used += n;
    return room;
  }
  // A new block; a list longer than a block gets one of its own.
  const size_t size = std::max(n, m_chunk);
  const size_t bytes = size * sizeof(Continuation);
  if (m_bytes.load(std::memory_order_relaxed) + bytes > m_budget) return nullptr;
  m_bytes.fetch_add(bytes, std::memory_order_relaxed);
  std::unique_ptr<Continuation[]> block(new Continuation[size]);
  Continuation* room = block.get();
  if (size == m_chunk) {
    shelf->blocks.push_back(std::move(block));
    shelf->used = n;
    shelf->room = m_chunk;
  } else {
    // Keep the current block the last one, to fill it further.
    shelf->blocks.insert(shelf->blocks.empty() ? shelf->blocks.end() : shelf->blocks.end() - 1,
                         std::move(block));
  }
  return room;
}

bool ContinuationStore::store(const SeedFrontend& frontend, byte s, const std::vector<Continuation>& built,
                              List* out) {
  const WideKey k = key(frontend, s);
  if (m_index.find(k, out)) return true;
  List list;
  list.count = static_cast<uint32_t>(built.size());
  list.best = bestScore(built.data(), built.size());
  if (!built.empty()) {
    Continuation* room =
        m_shelves.with(flatHash(k), [&](Shelf& shelf) { return reserve(&shelf, built.size()); });
    if (room == nullptr) return false;
    std::copy(built.begin(), built.end(), room);
    list.first = room;
  }
  // Two threads may store one list at once: the first is kept, the other's
  // copy stays unused until the store is cleared.
  if (!m_index.insert(k, list)) return false;
  return m_index.find(k, out) || (*out = list, true);
}

void ContinuationStore::maintain() {
  // The lists go with their index: neither is emptied alone.
  if (m_index.full() || 4 * m_bytes.load(std::memory_order_relaxed) > 3 * m_budget) {
    clear();
    return;
  }
  m_index.maintain();
}

void ContinuationStore::clear() {
  m_index.clear();
  m_shelves.forEach([](Shelf& shelf) {
    shelf.blocks.clear();
    shelf.used = 0;
    shelf.room = 0;
  });
  m_bytes.store(0, std::memory_order_relaxed);
}
