#include "seeds/seed_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Memos that only save time are dropped between two anchor proteins once
// they outgrow these budgets; the exact cache follows its own clearing rule.
constexpr size_t CONTINUATIONS_BUDGET = 128u << 20;
constexpr size_t BOUNDS_BUDGET = 64u << 20;

WideKey boundKey(const SeedFrontend& f, uint mask) { return WideKey{f.tag(), mask}; }

}  // namespace

SeedSearch::SeedSearch(const Network* net, const std::vector<const VTree*>& trees, bool d2enabled,
                       gen_type_t shape)
    : m_guides(trees),
      m_continuations(net, d2enabled, CONTINUATIONS_BUDGET),
      m_network(net),
      m_trees(trees),
      m_shape(shape),
      m_exhaustive(net->hasUndefinedPairScores()) {
  TRELLIS_ASSERT(trees.empty() || trees.size() == net->SPECIES_NUM);
  TRELLIS_ASSERT(shape != ORIENTED || !trees.empty());
  computeReach(net, d2enabled);
}

void SeedSearch::computeReach(const Network* net, bool d2enabled) {
  double own[MAX_SPECIES] = {};
  for (byte s = 0; s < net->SPECIES_NUM; ++s) {
    // A species without interactions has no frontend at all: any finite bound holds.
    double best = 0;
    bool any = d2enabled;
    for (const Node* n : net->layer(s)) {
      for (const edge_t& e : n->getD1()) {
        best = any ? std::max(best, e.score) : e.score;
        any = true;
      }
    }
    own[s] = best;
    m_ownReach[s] = best;
  }
  m_spanReach[0] = 0;
  for (uint mask = 1; mask < (1u << MAX_SPECIES); ++mask)
    m_spanReach[mask] = m_spanReach[mask & (mask - 1)] + own[lowestSpecies(mask)];
}

void SeedSearch::maintain() {
  m_cache.maintain();
  m_continuations.trim();
  if (m_bounds.bytes() > BOUNDS_BUDGET) m_bounds.release();
}

void SeedSearch::clear() {
  m_cache.clear();
  m_continuations.clear();
  m_bounds.release();
}

size_t SeedSearch::memoryBytes() const { return m_cache.bytes() + m_continuations.bytes() + m_bounds.bytes(); }

bool SeedSearch::seedOf(Node* p, Seed* seed) {
  std::vector<SeedFrontend> roots;
  for (const edge_t& e : p->getD1()) {
    if (p->m_id < e.node->m_id) roots.emplace_back(p, e.node, e.score);
  }
  switch (m_shape) {
    case PATH:
      return bestSeed<PATH>(roots, seed);
    case TREE:
      return bestSeed<TREE>(roots, seed);
    case ORIENTED:
      return bestSeed<ORIENTED>(roots, seed);
  }
  return false;
}

template <gen_type_t Shape, class Solve>
bool SeedSearch::solveRoot(const SeedFrontend& root, Solve solve) {
  const uint others = ((1u << m_network->SPECIES_NUM) - 1) ^ (1u << root.species());
  if (Shape == PATH) return solve(SpecSetsPathsGen(others, 0));
  if (Shape == TREE) return solve(SpecSetsTreesGen(others));
  return solve(SpecRestrictedTreesGen(m_trees[root.species()]->root()));
}

template <gen_type_t Shape>
bool SeedSearch::bestSeed(const std::vector<SeedFrontend>& roots, Seed* seed) {
  if (roots.empty()) return false;
  if (m_exhaustive) return bestSeedOfAll<Shape>(roots, seed);
  SpanSearch<SeedSearch> search(this);
  const uint others = ((1u << m_network->SPECIES_NUM) - 1) ^ (1u << roots.front().species());
  // Roots that promise most are solved first, so that bounds prune most of
  // the rest. The winner is still the first root (in list order) of the
  // largest total, and only a total above 0 makes a seed.
  std::vector<size_t> order(roots.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&roots](size_t a, size_t b) { return roots[a].score() > roots[b].score(); });
  const SeedFrontend* best = nullptr;
  size_t bestIndex = 0;
  double bestTotal = 0, bestSpan = 0;
  for (size_t index : order) {
    const SeedFrontend& root = roots[index];
    const double reach = root.score() + spanBound(others);
    const double target = best != nullptr ? bestTotal : 0;
    const double slack = 1e-7 + 1e-9 * (std::fabs(root.score()) + std::fabs(reach) + std::fabs(target));
    if (reach + slack < target) continue;
    double span = 0;
    const double floor = target - root.score() - slack;
    if (!solveRoot<Shape>(root, [&](auto G) { return search.solveAbove(root, G, floor, &span); })) continue;
    const double total = span + root.score();
    if (best == nullptr && !(total > 0)) continue;
    // Of equal totals the earlier root wins.
    if (best != nullptr && !(total > bestTotal || (total == bestTotal && index < bestIndex))) continue;
    best = &root;
    bestIndex = index;
    bestTotal = total;
    bestSpan = span;
  }
  if (best == nullptr) return false;
  appendSeed(*best, bestSpan, seed);
  return true;
}

template <gen_type_t Shape>
bool SeedSearch::bestSeedOfAll(const std::vector<SeedFrontend>& roots, Seed* seed) {
  SpanSearch<SeedSearch> search(this);
  const SeedFrontend* best = nullptr;
  double bestTotal = 0, bestSpan = 0;
  for (const SeedFrontend& root : roots) {
    double span = 0;
    if (!solveRoot<Shape>(root, [&](auto G) { return search.solve(root, G, &span); })) continue;
    const double total = span + root.score();
    // Among equal totals the earlier root wins.
    if (best != nullptr && !(total > bestTotal)) continue;
    best = &root;
    bestTotal = total;
    bestSpan = span;
  }
  if (best == nullptr || !(bestTotal > 0)) return false;
  appendSeed(*best, bestSpan, seed);
  return true;
}

void SeedSearch::appendSeed(const SeedFrontend& root, double span, Seed* seed) {
  seed->append(root);
  seed->m_score += span;
  appendSpan(root.tag(), ((1u << m_network->SPECIES_NUM) - 1) ^ (1u << root.species()), root.node(0), false, seed);
}

void SeedSearch::appendSpan(uint64_t tag, uint S, const Node* requesterFirst, bool flip, Seed* seed) {
  if (S == 0) return;
  const SpanRecord* record = nullptr;
  const bool cached = m_cache.lookup(tag, S, &record);
  TRELLIS_ASSERT(cached && record != nullptr);
  Node* first = nodeById(static_cast<uint32_t>(tag >> 32));  // the lower id
  Node* second = nodeById(static_cast<uint32_t>(tag & 0xFFFFFFFFu));
  const uint anchorSet = record->anchorSet;
  const byte species = record->species;
  const uint32_t place = record->joined;
  // The continuations are a pure function of the network: built again, the
  // joined frontend is at the same place.
  const SeedFrontend joined = candidates(SeedFrontend(first, second, 0), species)[place];
  const bool mirrored = flip != (first != requesterFirst);
  seed->m_vpaths[mirrored ? 1 : 0].append(joined.node(0));
  seed->m_vpaths[mirrored ? 0 : 1].append(joined.node(1));
  appendSpan(tag, anchorSet, first, mirrored, seed);
  appendSpan(joined.tag(), S ^ anchorSet ^ (1u << species), joined.node(0), mirrored, seed);
}

bool SeedSearch::lookup(const SeedFrontend& f, uint mask, bool* exists, double* score) const {
  const SpanRecord* record = nullptr;
  if (!m_cache.lookup(f.tag(), mask, &record)) return false;
  *exists = record != nullptr;
  if (record != nullptr) *score = record->score;
  return true;
}

bool SeedSearch::lookupBounded(const SeedFrontend& f, uint mask, bool* exact, double* value) const {
  const SpanRecord* record = nullptr;
  if (m_cache.lookup(f.tag(), mask, &record)) {
    // "No span" is the bound that nothing exceeds.
    *exact = record != nullptr;
    *value = record != nullptr ? record->score : NO_SPAN;
    return true;
  }
  const double* bound = m_bounds.find(boundKey(f, mask));
  if (bound == nullptr) return false;
  *exact = false;
  *value = *bound;
  return true;
}

void SeedSearch::storeBounded(const SeedFrontend& f, uint mask, bool exact, double value, uint32_t joined,
                              uint anchorSet) {
  if (exact) {
    TRELLIS_ASSERT(f.nodeId(0) < f.nodeId(1));
    const SpanRecord record{value, joined >> 4, static_cast<uint16_t>(anchorSet), static_cast<byte>(joined & 15)};
    m_cache.store(f.tag(), mask, &record);
    return;
  }
  if (value == NO_SPAN) {
    m_cache.store(f.tag(), mask, nullptr);
    return;
  }
  // Only what the exact cache holds is ever handed out; a bound only prunes.
  if (double* known = m_bounds.find(boundKey(f, mask))) {
    *known = value;
  } else {
    m_bounds.insert(boundKey(f, mask), value);
  }
}

double SeedSearch::candidatesReach(const SeedFrontend& f, byte x) {
  // Building the continuations is the costly part of the search: a split
  // that the species' best score already rules out must not pay for it.
  const ContinuationMemo::Range* range = m_continuations.find(f, x);
  if (range == nullptr) return m_ownReach[x];
  return range->count == 0 ? NO_SPAN : range->best;
}
