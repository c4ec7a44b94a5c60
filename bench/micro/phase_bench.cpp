// Times the phases of a run on one input from inside the process, with
// sub-second resolution: seed search, seed filter, complex growth of the
// first N seeds and their refinement. For profiling and per-core speed;
// the whole-run figures come from the scripts beside it.
//
//   phase_bench SPECIES PREFIX [--seeds N] [--threads T] [--refine R]   (default tree spans)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/pipeline.h"
#include "complexes/complexes_crawler.h"
#include "complexes/refinement.h"
#include "network/netbuilder.h"
#include "seeds/edges_seeds_generator.h"
#include "seeds/seed_overlap_filter.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: phase_bench SPECIES PREFIX [--seeds N] [--threads T] [--refine R]\n");
    return 2;
  }
  RunParams params;
  params.species_num = static_cast<uint>(std::atoi(argv[1]));
  params.in_prefix = argv[2];
  params.THREADS = 1;
  size_t maxSeeds = static_cast<size_t>(-1);
  uint refine = 0;
  for (int i = 3; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seeds")) maxSeeds = std::strtoul(argv[i + 1], nullptr, 10);
    if (!std::strcmp(argv[i], "--threads")) params.THREADS = static_cast<uint>(std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--refine")) refine = static_cast<uint>(std::atoi(argv[i + 1]));
  }
  std::FILE* console = std::freopen("/dev/null", "w", stdout);
  if (console == nullptr) return 1;
  Network net(params.species_num);
  NetworkBuiler builder(&net, params.BLAST_TRESHOLD, params.MAX_HOMOLOG_PER_NODE);
  builder.readNetwork(params.in_prefix);
  net.finalize(params.DENSITY_BETA, params.p_true);

  auto start = std::chrono::steady_clock::now();
  EdgesSeedsGenerator generator(&net, params.ORIENTATION_TREES, params.START_SEARCH_FROM_SEED_Dn > 1,
                                params.SALIGN_NODES_TYPE);
  generator.setThreads(params.THREADS);
  generator.createSeeds();
  const double seedTime = secondsSince(start);
  start = std::chrono::steady_clock::now();
  std::vector<const Seed*> candidates;
  for (auto it = generator.getSeedsBegin(); it != generator.getSeedsEnd(); ++it) candidates.push_back(&*it);
  std::list<Seed> seeds = filterOverlappingSeeds(candidates, params.SEEDS_MAX_ALLOWED_OVERLAP);
  const double filterTime = secondsSince(start);
  while (seeds.size() > maxSeeds) seeds.pop_back();

  start = std::chrono::steady_clock::now();
  ComplexesCrawler crawler(&net, nullptr, 0, params.NODES_DUPS_THRESHOLD, refine, params.EALIGN_NODES_TYPE,
                           params.ORIENTATION_TREES);
  crawler.setThreads(params.THREADS);
  crawler.findComplexes(seeds.begin(), seeds.end());
  const double growTime = secondsSince(start);
  std::list<Complex> found(crawler.getComplexesBegin(), crawler.getComplexesEnd()), refined;
  start = std::chrono::steady_clock::now();
  if (refine > 0) refineComplexes(&net, crawler, refine, found, &refined);
  const double refineTime = secondsSince(start);
  double total = 0;
  for (const Complex& c : refine > 0 ? refined : found) total += c.getScore();
  std::fprintf(stderr,
               "seeds %.3f s (%zu kept), filter %.3f s, grow %.3f s (%zu seeds, %zu complexes), "
               "refine %.3f s; total score %.6f\n",
               seedTime, std::distance(generator.getSeedsBegin(), generator.getSeedsEnd()), filterTime,
               growTime, seeds.size(), found.size(), refineTime, total);
  return 0;
}
