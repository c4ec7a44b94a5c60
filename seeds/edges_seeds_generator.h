// Seeds: one pair of proteins per species, each pair interacting (or sharing a
// partner) inside its species, matched position by position across species by
// similarity edges. The generator finds the best seed of every anchor protein
// (seeds/seed_search.h), on as many threads as it is given: the seed of each
// anchor is a pure function of the network and the options, so the results
// and the console are the same for every number of threads and every split of
// the anchors.
#pragma once

#include <cstdio>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "common/common_types.h"
#include "orientation/orientation.h"
#include "network/network.h"
#include "seeds/seed.h"
#include "seeds/seed_search.h"

class ProgressMeter;

// Finds the best seed of every protein of a finalised network.
class EdgesSeedsGenerator {
 public:
  typedef std::list<Seed>::const_iterator const_iterator;

  // seedsOrientation is empty or holds one tree per species (tree s rooted at
  // s); it is neither copied nor owned, nor is the network.
  EdgesSeedsGenerator(const Network* net, const std::vector<const VTree*>& seedsOrientation, bool d2enabled,
                      gen_type_t seedsType);
  EdgesSeedsGenerator(const EdgesSeedsGenerator&) = delete;
  EdgesSeedsGenerator& operator=(const EdgesSeedsGenerator&) = delete;

  // Runs the whole seed search once, printing the progress lines; returns the
  // number of seeds found.
  size_t createSeeds();
  // Anchor proteins: every protein, species by species, each species in layer order.
  size_t anchorCount() const { return m_anchors.size(); }
  // The seeds of anchors first .. last-1: take(anchor, seed) in anchor order,
  // the seed empty when the anchor has none. Prints nothing.
  template <class Take>
  void searchAnchors(size_t first, size_t last, Take take);
  // Threads the search runs on (each with a search of its own).
  void setThreads(uint threads) { m_threads = threads == 0 ? 1 : threads; }
  // Meter advanced once per anchor protein by createSeeds; null for none.
  void setProgress(ProgressMeter* meter) { m_progress = meter; }
  const_iterator getSeedsBegin() const { return m_seeds.begin(); }
  const_iterator getSeedsEnd() const { return m_seeds.end(); }

  // The console line of the seed search after `covered` anchors, printed when
  // covered is a power of two; seedsBefore counts the seeds of the anchors
  // before the last one.
  static void reportCovered(size_t covered, size_t seedsBefore, FILE* console = stdout);

  // The span of every frontend over the empty set of species.
  static const Seed* nullSeed();

  // Memory the searches hold now, in bytes (the shared memos and the calling
  // thread's own).
  size_t memoryBytes() const { return m_memos.bytes() + m_search.memoryBytes(); }

 private:
  typedef std::vector<std::optional<Seed>> Block;
  // Anchors a worker takes at once: a job per anchor would cost more in
  // hand-overs than many anchors' searches.
  static constexpr size_t BLOCK = 16;
  // Anchors between two points where no search runs, at which the shared
  // memos are emptied when nearly full.
  static constexpr size_t ROUND = 64 * BLOCK;

  std::unique_ptr<SeedSearch> newSearch();
  Block searchBlock(SeedSearch* search, size_t first, size_t last) const;

  const Network* m_network;
  const std::vector<const VTree*>& m_seedsOrientation;
  const bool m_d2enabled;
  const gen_type_t m_seedsType;
  std::vector<Node*> m_anchors;
  SeedMemos m_memos;
  SeedSearch m_search;  // the calling thread's
  std::list<Seed> m_seeds;
  uint m_threads = 1;
  ProgressMeter* m_progress = nullptr;
};

#include "common/ordered_jobs.h"

template <class Take>
void EdgesSeedsGenerator::searchAnchors(size_t first, size_t last, Take take) {
  TRELLIS_ASSERT(first <= last && last <= m_anchors.size());
  OrderedJobs<SeedSearch> jobs(last - first > BLOCK ? m_threads : 1, &m_search,
                               [this] { return newSearch(); });
  for (size_t round = first; round < last; round += ROUND) {
    const size_t end = std::min(last, round + ROUND);
    jobs.template run<Block>((end - round + BLOCK - 1) / BLOCK,
                             [this, round, end](SeedSearch& search, size_t b) {
                               const size_t from = round + b * BLOCK;
                               return searchBlock(&search, from, std::min(end, from + BLOCK));
                             },
                             [&take, round](size_t b, Block&& block) {
                               for (size_t i = 0; i < block.size(); ++i)
                                 take(round + b * BLOCK + i, block[i]);
                             });
    m_memos.maintain();
  }
}
