#include "seeds/seed_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Budgets of the memos. The shared ones are emptied between anchors once
// nearly full; a thread's own ones once over budget. The shared ones are
// reserved up front, so they are also held to what the input can fill.
constexpr size_t SPANS_BUDGET = 320u << 20;
constexpr size_t CONTINUATIONS_BUDGET = 256u << 20;
constexpr size_t LOCAL_SPANS_BUDGET = 16u << 20;
constexpr size_t BOUNDS_BUDGET = 8u << 20;

WideKey spanKey(uint64_t tag, uint mask) { return WideKey{tag, mask}; }

SeedMemos::Budgets budgetsFor(const SimilarityIndex& index, uint speciesNum) {
  const MemoSizes sizes = memoSizesOf(index, speciesNum);
  SeedMemos::Budgets budgets;
  budgets.spans = ConcurrentTable<SpanRecord>::budgetFor(sizes.spans, SPANS_BUDGET);
  budgets.continuations = ContinuationStore::budgetFor(sizes.lists, sizes.continuations, CONTINUATIONS_BUDGET);
  return budgets;
}

}  // namespace

MemoSizes memoSizesOf(const SimilarityIndex& index, uint speciesNum) {
  // A frontend is an ordered pair of interaction partners or, with distance-2
  // pairs, of two partners of one protein; its continuations into species s
  // pair a similarity partner of each of its two proteins.
  MemoSizes sizes;
  double frontends = 0;
  double continuations = 0;
  std::vector<double> reach(speciesNum);
  for (uint32_t p = 0; p < index.idLimit(); ++p) {
    if (index.node(p) == nullptr) continue;
    const double degree = static_cast<double>(index.degree(p));
    frontends += degree + degree * degree;
    std::fill(reach.begin(), reach.end(), 0.0);
    for (const uint32_t* a = index.interactionsBegin(p); a != index.interactionsEnd(p); ++a) {
      for (byte s = 0; s < speciesNum; ++s) reach[s] += static_cast<double>(index.end(*a, s) - index.begin(*a, s));
    }
    // Pairs of two partners of p, and p with each partner.
    for (byte s = 0; s < speciesNum; ++s) {
      const double own = static_cast<double>(index.end(p, s) - index.begin(p, s));
      continuations += reach[s] * reach[s] + own * reach[s];
    }
  }
  const double sets = static_cast<double>(1u << (speciesNum - 1));
  const double limit = static_cast<double>(std::numeric_limits<size_t>::max() / 64);
  sizes.spans = static_cast<size_t>(std::min(limit, frontends * sets));
  sizes.lists = static_cast<size_t>(std::min(limit, frontends * speciesNum));
  sizes.continuations = static_cast<size_t>(std::min(limit, continuations));
  return sizes;
}

SeedMemos::SeedMemos(const Network* net) : SeedMemos(net, Budgets{}) {}

SeedMemos::SeedMemos(const Network* net, Budgets given)
    : index(*net),
      budgets(given.spans != 0 ? given : budgetsFor(index, net->SPECIES_NUM)),
      spans(this->budgets.spans),
      continuations(this->budgets.continuations) {}

void SeedMemos::maintain() {
  spans.maintain();
  continuations.maintain();
}

SeedSearch::SeedSearch(const Network* net, SeedMemos* memos, const std::vector<const VTree*>& trees,
                       bool d2enabled, gen_type_t shape)
    : m_memos(memos),
      m_guides(trees),
      m_builder(net, &memos->index, d2enabled),
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
  }
  m_reach.build(own, net->SPECIES_NUM);
}

void SeedSearch::maintain() {
  if (m_local.bytes() > LOCAL_SPANS_BUDGET) m_local.release();
  if (m_bounds.bytes() > BOUNDS_BUDGET) m_bounds.release();
}

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
  std::vector<RootPromise> promises(roots.size());
  for (size_t i = 0; i < roots.size(); ++i) {
    const double own = roots[i].score();
    promises[i] = RootPromise{own, own + spanBound(others), own + spanBound(others), own, i};
  }
  RootWinner winner;
  const auto solveAbove = [&](size_t index, double floor, double* span) {
    const SeedFrontend& root = roots[index];
    return solveRoot<Shape>(root, [&](auto G) { return search.solveAbove(root, G, floor, span); });
  };
  if (!bestRootByPromise(&promises, 0, solveAbove, &winner)) return false;
  appendSeed(roots[winner.index], winner.span, seed);
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
  appendSpan(root.tag(), ((1u << m_network->SPECIES_NUM) - 1) ^ (1u << root.species()), root.node(0), false,
             seed);
}

void SeedSearch::appendSpan(uint64_t tag, uint S, const Node* requesterFirst, bool flip, Seed* seed) {
  if (S == 0) return;
  SpanRecord record;
  const bool cached = findSpan(spanKey(tag, S), &record);
  TRELLIS_ASSERT(cached && record.exists);
  Node* first = nodeById(static_cast<uint32_t>(tag >> 32));  // the lower id
  Node* second = nodeById(static_cast<uint32_t>(tag & 0xFFFFFFFFu));
  // The continuations are a pure function of the network: built again, the
  // joined frontend is at the same place.
  const SeedFrontend joined = candidates(SeedFrontend(first, second, 0), record.species)[record.joined];
  const bool mirrored = flip != (first != requesterFirst);
  seed->m_vpaths[mirrored ? 1 : 0].append(joined.node(0));
  seed->m_vpaths[mirrored ? 0 : 1].append(joined.node(1));
  appendSpan(tag, record.anchorSet, first, mirrored, seed);
  appendSpan(joined.tag(), S ^ record.anchorSet ^ (1u << record.species), joined.node(0), mirrored, seed);
}

bool SeedSearch::findSpan(const WideKey& key, SpanRecord* record) const {
  if (m_memos->spans.find(key, record)) return true;
  const SpanRecord* local = m_local.find(key);
  if (local != nullptr) *record = *local;
  return local != nullptr;
}

bool SeedSearch::lookup(const SeedFrontend& f, uint mask, bool* exists, double* score) const {
  SpanRecord record;
  if (!findSpan(spanKey(f.tag(), mask), &record)) return false;
  *exists = record.exists;
  if (record.exists) *score = record.score;
  return true;
}

bool SeedSearch::lookupBounded(const SeedFrontend& f, uint mask, bool* exact, double* value) const {
  const WideKey key = spanKey(f.tag(), mask);
  SpanRecord record;
  if (findSpan(key, &record)) {
    // "No span" is the bound that nothing exceeds.
    *exact = record.exists;
    *value = record.exists ? record.score : NO_SPAN;
    return true;
  }
  const double* bound = m_bounds.find(key);
  if (bound == nullptr) return false;
  *exact = false;
  *value = *bound;
  return true;
}

void SeedSearch::storeBounded(const SeedFrontend& f, uint mask, bool exact, double value,
                              const Choice& joined, uint anchorSet) {
  const WideKey key = spanKey(f.tag(), mask);
  if (exact || value == NO_SPAN) {
    TRELLIS_ASSERT(!exact || f.nodeId(0) < f.nodeId(1));
    const byte species = static_cast<byte>(joined.packed & 15);
    const SpanRecord record{exact ? value : 0, joined.packed >> 4, static_cast<uint16_t>(anchorSet), species,
                            exact};
    // Another thread may rebuild a shared span, so its parts must be shared
    // too: a span whose parts only this thread holds stays with it.
    const uint branchSet = mask ^ anchorSet ^ (1u << species);
    SpanRecord part;
    const bool partsShared =
        !exact || ((anchorSet == 0 || m_memos->spans.find(spanKey(f.tag(), anchorSet), &part)) &&
                   (branchSet == 0 || m_memos->spans.find(spanKey(joined.tag, branchSet), &part)));
    if (partsShared && m_memos->spans.insert(key, record)) return;
    if (m_local.find(key) == nullptr) m_local.insert(key, record);
    return;
  }
  // Only exact spans are ever handed out; a bound only prunes.
  if (double* known = m_bounds.find(key)) {
    *known = value;
  } else {
    m_bounds.insert(key, value);
  }
}

double SeedSearch::candidatesReach(const SeedFrontend& f, byte x) {
  // Building the continuations is the costly part of the search: a split
  // that the species' best score already rules out must not pay for it.
  ContinuationStore::List list;
  if (!m_memos->continuations.find(f, x, &list)) return m_reach.own(x);
  return list.count == 0 ? NO_SPAN : list.best;
}

SeedSearch::Candidates SeedSearch::candidates(const SeedFrontend& f, byte s) {
  Candidates out;
  out.index = &m_memos->index;
  ContinuationStore::List list;
  if (!m_memos->continuations.find(f, s, &list)) {
    m_built.clear();
    m_builder.build(f, s, &m_built);
    if (!m_memos->continuations.store(f, s, m_built, &list)) {
      out.own = m_built;
      out.count = out.own.size();
      return out;
    }
  }
  out.first = list.first;
  out.count = list.count;
  return out;
}
