#include "app/pipeline.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/output_dir.h"
#include "app/output_files.h"
#include "app/pass_results.h"
#include "common/overlap_sweep.h"
#include "complexes/complexes_crawler.h"
#include "complexes/complexes_filter.h"
#include "complexes/refinement.h"
#include "network/netbuilder.h"
#include "network/network.h"
#include "progress/progress_meter.h"
#include "report/run_manifest.h"
#include "seeds/edges_seeds_generator.h"

void filterOverlappingSeeds(std::list<const Seed*> candidates, double threshold, std::list<Seed>* out) {
  std::vector<const Seed*> seeds(candidates.begin(), candidates.end());
  std::vector<OverlapItem> items;
  items.reserve(seeds.size());
  for (const Seed* seed : seeds) items.push_back(OverlapItem{seed->proteinIds(), seed->getScore()});
  OverlapCounts counts;
  const auto overlaps = [threshold](double ratio) { return !(ratio < threshold); };
  for (size_t i : sweepOverlaps(items, overlaps, &counts)) out->push_back(*seeds[i]);
}

bool searchSeeds(const Network* network, const RunParams& params, uint pass, PassResults& results,
                 std::list<Seed>* out, PhaseCounts* counts) {
  EdgesSeedsGenerator generator(network, params.ORIENTATION_TREES, params.START_SEARCH_FROM_SEED_Dn > 1,
                                params.SALIGN_NODES_TYPE);
  generator.setThreads(params.THREADS);
  std::puts("Looking for seeds..");
  std::fflush(stdout);
  ProgressMeter meter("Seeds", generator.anchorCount());
  std::list<Seed> found;
  results.seeds(pass, *network, generator, [&](size_t anchor, std::optional<Seed>& seed) {
    EdgesSeedsGenerator::reportCovered(anchor + 1, found.size());
    if (seed) found.push_back(std::move(*seed));
    meter.advance();
  });
  meter.finish();
  if (!results.growsSeeds()) return false;
  std::printf("Done. %d seeds were found\n\n", static_cast<int>(found.size()));
  printElapsedTime();
  std::fflush(stdout);

  std::list<const Seed*> candidates;
  for (const Seed& seed : found) candidates.push_back(&seed);
  const double threshold = params.SEEDS_MAX_ALLOWED_OVERLAP;
  std::printf("Filtering overlapping seeds (threshold: %.2f)..\n", threshold);
  filterOverlappingSeeds(candidates, threshold, out);

  size_t printed = 0;
  for (auto it = out->begin(); it != out->end() && printed < 1500; ++it, ++printed) it->dbg_print();
  std::printf("Done. %d seeds after filtering (proteins overlap >= %.2f%%)\n\n",
              static_cast<int>(out->size()), threshold);
  printElapsedTime();
  std::fflush(stdout);
  if (counts) {
    counts->ran = true;
    counts->seedsFound += found.size();
    counts->seedsKept += out->size();
  }
  return true;
}

void searchSeeds(const Network* network, const RunParams& params, std::list<Seed>* out, PhaseCounts* counts) {
  PassResults computed(params);
  searchSeeds(network, params, 0, computed, out, counts);
}

namespace {

std::vector<const Seed*> pointersTo(const std::list<Seed>& seeds) {
  std::vector<const Seed*> out;
  for (const Seed& s : seeds) out.push_back(&s);
  return out;
}

std::vector<const Complex*> pointersTo(const std::list<Complex>& complexes) {
  std::vector<const Complex*> out;
  for (const Complex& c : complexes) out.push_back(&c);
  return out;
}

// The kept seeds grown into complexes, with the progress lines.
void growComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesCrawler& crawler, uint pass,
                   bool randomPass, PassResults& results, std::list<Complex>* found) {
  std::puts("Looking for complexes..");
  std::fflush(stdout);
  ProgressMeter meter("Complexes", seeds.size());
  std::puts("Started");
  results.growth(pass, randomPass, *network, crawler, pointersTo(seeds),
                 [&](size_t i, std::unique_ptr<Complex>& complex) {
                   if (complex) found->push_back(std::move(*complex));
                   meter.advance();
                   ComplexesCrawler::reportProgress(static_cast<uint>(i + 1), found->size());
                 });
  meter.finish();
}

// The filters once more, as asked, on the refined complexes of the real pass.
void filterRefinedComplexes(const ComplexesFilter& filter, const RunParams& params, std::list<Complex>* complexes) {
  std::puts("Filtering refined complexes...");
  std::list<Complex> kept;
  filter.filterRefined(*complexes, params.FINAL_NOISE_FILTER, params.FINAL_OVERLAP_FILTER, &kept);
  ComplexesFilter::print_statistics(kept, params.MAX_SIZE);
  std::printf("Done, %d refined complexes after filtering (were %u)\n", static_cast<int>(kept.size()),
              static_cast<uint>(complexes->size()));
  printElapsedTime();
  std::fflush(stdout);
  *complexes = std::move(kept);
}

}  // namespace

bool searchComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesFilter* filter,
                     const RunParams& params, uint pass, PassResults& results, std::list<Complex>* out,
                     PhaseCounts* counts) {
  ComplexesCrawler crawler(network, filter, 0, params.NODES_DUPS_THRESHOLD, params.REFINMENT_ITERATIONS,
                           params.EALIGN_NODES_TYPE, params.ORIENTATION_TREES);
  crawler.setThreads(params.THREADS);
  crawler.setMaxSize(params.MAX_SIZE);
  const bool randomPass = filter == nullptr;
  std::list<Complex> found;
  growComplexes(network, seeds, crawler, pass, randomPass, results, &found);
  if (!results.refinesComplexes()) return false;
  std::puts("Statistics before filtering:");
  ComplexesFilter::print_statistics(found, params.MAX_SIZE);
  std::printf("Done, %d complexes found\n", static_cast<int>(found.size()));
  printElapsedTime();
  std::fflush(stdout);
  size_t printed = 0;
  for (auto it = found.begin(); it != found.end() && printed < 1000; ++it, ++printed) it->dbg_print(stdout);

  std::list<Complex> filtered;
  if (filter) {
    std::puts("Filtering complexes...");
    std::fflush(stdout);
    filter->filter(found.begin(), found.end(), &filtered);
    ComplexesFilter::print_statistics(filtered, params.MAX_SIZE);
    std::printf("Done, %d complexes after filtering (were %u)\n", static_cast<int>(filtered.size()),
                static_cast<uint>(found.size()));
    printElapsedTime();
    std::fflush(stdout);
  } else {
    filtered = found;
  }

  // Without attempts a refine stage still hands the complexes on.
  const bool refines = params.REFINMENT_ITERATIONS != 0 || results.stage() == RunStage::REFINE;
  if (params.REFINMENT_ITERATIONS != 0) {
    std::printf("Refining complexes (%d iterations/complex)..\n",
                static_cast<int>(params.REFINMENT_ITERATIONS));
    std::fflush(stdout);
  }
  if (refines) {
    ProgressMeter refining("Refinement", filtered.size());
    results.refinement(pass, randomPass, *network, crawler, pointersTo(filtered),
                       [&](size_t, Complex& refined) {
                         out->push_back(std::move(refined));
                         refining.advance();
                       });
    refining.finish();
  } else {
    *out = filtered;
  }
  ComplexesFilter::print_statistics(*out, params.MAX_SIZE);
  std::printf("Done, for %d complexes\n", static_cast<int>(out->size()));
  printElapsedTime();
  std::fflush(stdout);
  const size_t refinedCount = out->size();
  // Only where the outputs are written: a refine stage holds a block of the complexes.
  const bool filterRefined =
      filter && results.writesOutputs() && (params.FINAL_NOISE_FILTER || params.FINAL_OVERLAP_FILTER);
  if (filterRefined) filterRefinedComplexes(*filter, params, out);
  if (counts) {
    counts->complexesFound += found.size();
    counts->complexesFiltered = filter != nullptr;
    counts->complexesKept += filtered.size();
    counts->complexesRefined += refinedCount;
    counts->refinedFiltered = filterRefined;
    counts->complexesFinal += out->size();
  }
  return true;
}

namespace {

// Adds to the phase counts what the summary outputs need of the finished run.
void completeSummary(const RunParams& params, const Network& network, const ComplexesFilter& filter,
                     const std::list<Complex>& complexes, RunSummary* summary) {
  summary->parameters = parameterList(params);
  summary->inPrefix = params.in_prefix;
  summary->outPrefix = params.out_prefix;
  summary->speciesNum = network.SPECIES_NUM;
  summary->overlapThreshold = params.OVERLAP_THRESHOLD;
  summary->finalOverlapFilter = params.FINAL_OVERLAP_FILTER;
  summary->finalNoiseFilter = params.FINAL_NOISE_FILTER;
  for (byte s = 0; s < network.SPECIES_NUM; ++s) summary->species.push_back(SpeciesStats::of(network, s));
  if (params.RAND_NET_GROWTH_CONTROL) summary->takeRandomStats(filter);
  summary->complexes = &complexes;
}

std::unique_ptr<Network> readingPhase(const RunParams& params) {
  std::unique_ptr<Network> network(new Network(params.species_num));
  NetworkBuiler builder(network.get(), params.BLAST_TRESHOLD, params.MAX_HOMOLOG_PER_NODE);
  std::puts("Reading data network..");
  builder.readNetwork(params.in_prefix);
  std::puts("Network statistics:");
  network->dbg_stats_print();
  std::printf("\n");
  printElapsedTime();
  std::puts("Ok\n");
  std::fflush(stdout);
  return network;
}

// Searches shuffled clones of the network, one after another, each shuffled
// where the generator was left by the one before, and teaches the filter
// the scores of their complexes.
void randomPasses(const Network& network, const RunParams& params, PassResults& results,
                  ComplexesFilter* filter, PhaseCounts* counts) {
  const uint passes = params.RANDOM_PASSES;
  for (uint pass = 0; pass < passes; ++pass) {
    std::puts("Cloning network:");
    std::unique_ptr<Network> clone(network.clone());
    TRELLIS_ASSERT(clone != nullptr);
    printElapsedTime();
    std::puts("Ok\n");
    std::printf("** Shuffling clone network. i%u/%u.. **\n", pass + 1, passes);
    clone->shuffleNetwork(100);
    printElapsedTime();
    std::puts("Ok\n");
    std::puts("Processing randomized clone network..");
    clone->finalize(params.DENSITY_BETA, params.p_true);
    std::list<Seed> seeds;
    if (!searchSeeds(clone.get(), params, pass, results, &seeds, counts)) continue;
    std::list<Complex> complexes;
    if (!searchComplexes(clone.get(), seeds, nullptr, params, pass, results, &complexes, counts)) continue;
    std::puts("Processing random results..");
    filter->feedRandomSamples(complexes.begin(), complexes.end());
    printElapsedTime();
    std::puts("Done\n");
  }
}

// The per-complex files, the manifest and the summary outputs; returns the
// number of files that could not be written.
uint writeOutputs(const RunParams& params, const Network& network, const ComplexesFilter& filter,
                  const std::list<Complex>& complexes, RunSummary* summary) {
  const uint removed = removeEarlierResults(params.out_prefix, network.SPECIES_NUM, complexes);
  if (removed != 0)
    std::printf(" WARNING: removed %u files of an earlier run from %s\n", removed, params.out_prefix.c_str());
  std::puts("Writing alignments to files..");
  const std::string alignDir = params.out_prefix + "/alignments/";
  mkdir(alignDir.c_str(), 0777);
  uint failures = writeAlignmentsToFiles(alignDir, complexes);
  std::puts("Done");
  std::puts("Writing filtered complexes to files..");
  failures += writeComplexesToFiles(params.out_prefix, static_cast<byte>(network.SPECIES_NUM), complexes);
  std::puts("Done");
  if (!writeRunManifest(params.out_prefix, network.SPECIES_NUM, params.in_prefix)) {
    std::printf("ERROR: Can't create file: %s/manifest.tsv\n", params.out_prefix.c_str());
    ++failures;
  }
  if (params.WRITE_REPORT) {
    completeSummary(params, network, filter, complexes, summary);
    failures += writeReportFiles(params.out_prefix, *summary);
  }
  return failures;
}

}  // namespace

int runPipeline(const RunParams& params, PassResults& results) {
  std::unique_ptr<Network> network = readingPhase(params);
  ComplexesFilter filter(params.OVERLAP_THRESHOLD, params.MAX_SIZE);
  RunSummary summary;
  if (params.RAND_NET_GROWTH_CONTROL) randomPasses(*network, params, results, &filter, &summary.randomPass);

  std::puts("** Processing real biological network **");
  network->finalize(params.DENSITY_BETA, params.p_true);
  const uint realPass = params.RAND_NET_GROWTH_CONTROL ? params.RANDOM_PASSES : 0;
  std::list<Seed> seeds;
  std::list<Complex> complexes;
  if (searchSeeds(network.get(), params, realPass, results, &seeds, &summary.realPass))
    searchComplexes(network.get(), seeds, &filter, params, realPass, results, &complexes, &summary.realPass);
  if (!results.writesOutputs()) return results.commitShard();
  std::puts("Done\n");

  const uint failures = writeOutputs(params, *network, filter, complexes, &summary);
  if (failures) std::printf("ERROR: %u output files could not be written\n", failures);
  std::printf("Reminder: outdir: %s\n", params.out_prefix.c_str());
  std::puts("\n--= FINISHED =--");
  std::fflush(stdout);
  return failures ? 252 : 0;
}

int runPipeline(const RunParams& params) {
  PassResults results(params);
  return runPipeline(params, results);
}
