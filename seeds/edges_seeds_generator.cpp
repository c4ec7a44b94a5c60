#include "seeds/edges_seeds_generator.h"

#include <cstdio>

#include "progress/progress_meter.h"

namespace {

// Memos that only save time are dropped between two anchor proteins once
// they outgrow these budgets; the span cache follows its own clearing rule.
constexpr size_t CONTINUATIONS_BUDGET = 128u << 20;

}  // namespace

EdgesSeedsGenerator::EdgesSeedsGenerator(const Network* net,
                                         const std::vector<const VTree*>& seedsOrientation, bool d2enabled,
                                         gen_type_t seedsType)
    : m_guides(seedsOrientation),
      m_continuations(net, d2enabled, CONTINUATIONS_BUDGET),
      m_network(net),
      m_seedsOrientation(seedsOrientation),
      m_d2enabled(d2enabled),
      m_seedsType(seedsType) {
  TRELLIS_ASSERT(seedsOrientation.empty() || seedsOrientation.size() == net->SPECIES_NUM);
  TRELLIS_ASSERT(seedsType != ORIENTED || !seedsOrientation.empty());
}

const Seed* EdgesSeedsGenerator::nullSeed() {
  static const Seed empty(2);
  return &empty;
}

size_t EdgesSeedsGenerator::memoryBytes() const {
  return m_cache.bytes() + m_continuations.bytes();
}

size_t EdgesSeedsGenerator::createSeeds() {
  uint proteinsCovered = 0;
  std::vector<SeedFrontend> roots;
  for (byte s = 0; s < m_network->SPECIES_NUM; ++s) {
    for (Node* p : m_network->layer(s)) {
      roots.clear();
      for (const edge_t& e : p->getD1()) {
        if (p->m_id < e.node->m_id) roots.emplace_back(p, e.node, e.score);
      }
      ++proteinsCovered;
      if ((proteinsCovered & (proteinsCovered - 1)) == 0) {
        printf("Covered %d proteins, created %d seeds\n", static_cast<int>(proteinsCovered),
               static_cast<int>(m_seeds.size()));
        fflush(stdout);
      }
      maintain();
      Seed seed(2);
      if (findSeedOf(roots, &seed) && seed.m_score > 0) m_seeds.push_back(std::move(seed));
      if (m_progress) m_progress->advance();
    }
  }
  m_cache.clear();
  m_continuations.clear();
  return m_seeds.size();
}

void EdgesSeedsGenerator::maintain() {
  m_cache.maintain();
  m_continuations.trim();
}

bool EdgesSeedsGenerator::findSeedOf(const std::vector<SeedFrontend>& roots, Seed* seed) {
  switch (m_seedsType) {
    case PATH:
      return findNextBestVspan<PATH>(roots, seed);
    case TREE:
      return findNextBestVspan<TREE>(roots, seed);
    case ORIENTED:
      return findNextBestVspan<ORIENTED>(roots, seed);
  }
  return false;
}

template <gen_type_t Shape>
bool EdgesSeedsGenerator::findNextBestVspan(const std::vector<SeedFrontend>& roots, Seed* seed) {
  SpanSearch<EdgesSeedsGenerator> search(this);
  const uint all = (1u << m_network->SPECIES_NUM) - 1;
  const SeedFrontend* best = nullptr;
  double bestScore = 0;
  double bestSpan = 0;
  for (const SeedFrontend& frontend : roots) {
    const uint others = all ^ (1u << frontend.species());
    double span = 0;
    bool found = false;
    if (Shape == PATH) found = search.solve(frontend, SpecSetsPathsGen(others, 0), &span);
    if (Shape == TREE) found = search.solve(frontend, SpecSetsTreesGen(others), &span);
    if (Shape == ORIENTED)
      found = search.solve(frontend, SpecRestrictedTreesGen(m_seedsOrientation[frontend.species()]->root()),
                           &span);
    if (!found) continue;
    const weight_t score = span + frontend.score();
    // Among equal totals the earlier root wins.
    if (best != nullptr && !(score > bestScore)) continue;
    best = &frontend;
    bestScore = score;
    bestSpan = span;
  }
  if (best == nullptr) return false;
  seed->append(*best);
  seed->m_score += bestSpan;
  appendSpan(best->tag(), all ^ (1u << best->species()), best->node(0), false, seed);
  return true;
}

void EdgesSeedsGenerator::appendSpan(uint64_t tag, uint S, const Node* requesterFirst, bool flip,
                                     Seed* seed) {
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

bool EdgesSeedsGenerator::lookup(const SeedFrontend& f, uint mask, bool* exists, double* score) const {
  const SpanRecord* record = nullptr;
  if (!m_cache.lookup(f.tag(), mask, &record)) return false;
  *exists = record != nullptr;
  if (record != nullptr) *score = record->score;
  return true;
}

void EdgesSeedsGenerator::store(const SeedFrontend& f, uint mask, bool exists, double score, uint32_t joined,
                                uint anchorSet) {
  if (!exists) {
    m_cache.store(f.tag(), mask, nullptr);
    return;
  }
  TRELLIS_ASSERT(f.nodeId(0) < f.nodeId(1));
  const SpanRecord record{score, joined >> 4, static_cast<uint16_t>(anchorSet), static_cast<byte>(joined & 15)};
  m_cache.store(f.tag(), mask, &record);
}
