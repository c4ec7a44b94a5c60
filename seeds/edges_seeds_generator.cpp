#include "seeds/edges_seeds_generator.h"

#include <cstdio>

#include "progress/progress_meter.h"

EdgesSeedsGenerator::EdgesSeedsGenerator(const Network* net,
                                         const std::vector<const VTree*>& seedsOrientation, bool d2enabled,
                                         gen_type_t seedsType)
    : m_network(net),
      m_seedsOrientation(seedsOrientation),
      m_d2enabled(d2enabled),
      m_seedsType(seedsType),
      m_memos(net),
      m_search(net, &m_memos, seedsOrientation, d2enabled, seedsType) {
  for (byte s = 0; s < net->SPECIES_NUM; ++s) {
    for (Node* p : net->layer(s)) m_anchors.push_back(p);
  }
}

const Seed* EdgesSeedsGenerator::nullSeed() {
  static const Seed empty(2);
  return &empty;
}

std::unique_ptr<SeedSearch> EdgesSeedsGenerator::newSearch() {
  return std::unique_ptr<SeedSearch>(
      new SeedSearch(m_network, &m_memos, m_seedsOrientation, m_d2enabled, m_seedsType));
}

EdgesSeedsGenerator::Block EdgesSeedsGenerator::searchBlock(SeedSearch* search, size_t first,
                                                            size_t last) const {
  Block block(last - first);
  for (size_t i = first; i < last; ++i) {
    search->maintain();
    Seed seed(2);
    if (search->seedOf(m_anchors[i], &seed)) block[i - first] = std::move(seed);
  }
  return block;
}

void EdgesSeedsGenerator::reportCovered(size_t covered, size_t seedsBefore, FILE* console) {
  if ((covered & (covered - 1)) != 0) return;
  std::fprintf(console, "Covered %d proteins, created %d seeds\n", static_cast<int>(covered),
               static_cast<int>(seedsBefore));
  std::fflush(console);
}

size_t EdgesSeedsGenerator::createSeeds() {
  searchAnchors(0, m_anchors.size(), [this](size_t anchor, std::optional<Seed>& seed) {
    reportCovered(anchor + 1, m_seeds.size());
    if (seed) m_seeds.push_back(std::move(*seed));
    if (m_progress) m_progress->advance();
  });
  return m_seeds.size();
}
