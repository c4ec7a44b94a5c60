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
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "common/console.h"
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
  Console quiet(Console::BUFFER);
  Network net(params.species_num);
  NetworkBuilder builder(&net, params.BLAST_THRESHOLD, params.MAX_HOMOLOG_PER_NODE, quiet.out());
  builder.readNetwork(params.in_prefix);
  net.finalize(params.DENSITY_BETA, params.p_true, quiet.out());

  // The phases' own entry points, as the pipeline calls them.
  auto start = std::chrono::steady_clock::now();
  EdgesSeedsGenerator generator(&net, params.ORIENTATION_TREES, params.START_SEARCH_FROM_SEED_Dn > 1,
                                params.SALIGN_NODES_TYPE);
  generator.setThreads(params.THREADS);
  std::list<Seed> found;
  generator.searchAnchors(0, generator.anchorCount(), [&found](size_t, std::optional<Seed>& seed) {
    if (seed) found.push_back(std::move(*seed));
  });
  const double seedTime = secondsSince(start);
  start = std::chrono::steady_clock::now();
  std::list<Seed> seeds = filterOverlappingSeeds(pointersTo(found), params.SEEDS_MAX_ALLOWED_OVERLAP);
  const double filterTime = secondsSince(start);
  while (seeds.size() > maxSeeds) seeds.pop_back();

  start = std::chrono::steady_clock::now();
  ComplexesCrawler crawler(&net, params.NODES_DUPS_THRESHOLD, params.EALIGN_NODES_TYPE, params.ORIENTATION_TREES);
  crawler.setThreads(params.THREADS);
  const std::vector<const Seed*> grown = pointersTo(seeds);
  std::list<Complex> complexes, refined;
  crawler.growSeeds(grown, 0, grown.size(), [&complexes](size_t, std::unique_ptr<Complex>& c) {
    if (c) complexes.push_back(std::move(*c));
  });
  const double growTime = secondsSince(start);
  start = std::chrono::steady_clock::now();
  const std::vector<const Complex*> toRefine = pointersTo(complexes);
  if (refine > 0)
    refineComplexes(&net, crawler, refine, toRefine, 0, toRefine.size(),
                    [&refined](size_t, Complex& c) { refined.push_back(std::move(c)); });
  const double refineTime = secondsSince(start);
  double total = 0;
  for (const Complex& c : refine > 0 ? refined : complexes) total += c.getScore();
  std::fprintf(stderr,
               "seeds %.3f s (%zu kept), filter %.3f s, grow %.3f s (%zu seeds, %zu complexes), "
               "refine %.3f s; total score %.6f\n",
               seedTime, found.size(), filterTime, growTime, seeds.size(), complexes.size(), refineTime, total);
  return 0;
}
