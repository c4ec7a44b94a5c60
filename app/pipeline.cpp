#include "app/pipeline.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <list>
#include <memory>
#include <string>

#include "app/output_files.h"
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

namespace {

// The proteins the seed search starts from: all of them.
size_t anchorProteins(const Network& network) {
  size_t n = 0;
  for (byte s = 0; s < network.SPECIES_NUM; ++s) n += network.layer(s).size();
  return n;
}

}  // namespace

void searchSeeds(const Network* network, const RunParams& params, std::list<Seed>* out, PhaseCounts* counts) {
  EdgesSeedsGenerator generator(network, params.ORIENTATION_TREES, params.START_SEARCH_FROM_SEED_Dn > 1,
                                params.SALIGN_NODES_TYPE);
  std::puts("Looking for seeds..");
  std::fflush(stdout);
  ProgressMeter meter("Seeds", anchorProteins(*network));
  generator.setProgress(&meter);
  generator.setThreads(params.THREADS);
  size_t found = generator.createSeeds();
  meter.finish();
  std::printf("Done. %d seeds were found\n\n", static_cast<int>(found));
  printElapsedTime();
  std::fflush(stdout);

  std::list<const Seed*> candidates;
  for (auto it = generator.getSeedsBegin(); it != generator.getSeedsEnd(); ++it) candidates.push_back(&*it);
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
    counts->seedsFound = found;
    counts->seedsKept = out->size();
  }
}

void searchComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesFilter* filter,
                     const RunParams& params, std::list<Complex>* out, PhaseCounts* counts) {
  ComplexesCrawler crawler(network, filter, 0, params.NODES_DUPS_THRESHOLD, params.REFINMENT_ITERATIONS,
                           params.EALIGN_NODES_TYPE, params.ORIENTATION_TREES);
  std::puts("Looking for complexes..");
  std::fflush(stdout);
  ProgressMeter meter("Complexes", seeds.size());
  crawler.setThreads(params.THREADS);
  crawler.setProgress(&meter);
  crawler.findComplexes(seeds.begin(), seeds.end());
  meter.finish();
  std::list<Complex> found(crawler.getComplexesBegin(), crawler.getComplexesEnd());
  std::puts("Statistics before filtering:");
  ComplexesFilter::print_statistics(found);
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
    ComplexesFilter::print_statistics(filtered);
    std::printf("Done, %d complexes after filtering (were %u)\n", static_cast<int>(filtered.size()),
                static_cast<uint>(found.size()));
    printElapsedTime();
    std::fflush(stdout);
  } else {
    filtered = found;
  }

  if (params.REFINMENT_ITERATIONS != 0) {
    std::printf("Refining complexes (%d iterations/complex)..\n",
                static_cast<int>(params.REFINMENT_ITERATIONS));
    std::fflush(stdout);
    ProgressMeter refining("Refinement", filtered.size());
    refineComplexes(network, crawler, params.REFINMENT_ITERATIONS, filtered, out, &refining);
    refining.finish();
  } else {
    *out = filtered;
  }
  ComplexesFilter::print_statistics(*out);
  std::printf("Done, for %d complexes\n", static_cast<int>(out->size()));
  printElapsedTime();
  std::fflush(stdout);
  if (counts) {
    counts->complexesFound = found.size();
    counts->complexesFiltered = filter != nullptr;
    counts->complexesKept = filtered.size();
    counts->complexesFinal = out->size();
  }
}

namespace {

// Adds to the phase counts what the summary outputs need of the finished run.
void completeSummary(const RunParams& params, const Network& network, const ComplexesFilter& filter,
                     const std::list<Complex>& complexes, RunSummary* summary) {
  summary->parameters = parameterList(params);
  summary->inPrefix = params.in_prefix;
  summary->outPrefix = params.out_prefix;
  summary->speciesNum = network.SPECIES_NUM;
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

// Runs the whole search once on a shuffled clone and teaches the filter its scores.
void randomPass(const Network& network, const RunParams& params, ComplexesFilter* filter,
                PhaseCounts* counts) {
  std::puts("Cloning network:");
  std::unique_ptr<Network> clone(network.clone());
  TRELLIS_ASSERT(clone != nullptr);
  printElapsedTime();
  std::puts("Ok\n");
  std::printf("** Shuffling clone network. i%u/%u.. **\n", 1u, 1u);
  clone->shuffleNetwork(100);
  printElapsedTime();
  std::puts("Ok\n");
  std::puts("Processing randomized clone network..");
  clone->finalize(params.DENSITY_BETA, params.p_true);
  std::list<Seed> seeds;
  searchSeeds(clone.get(), params, &seeds, counts);
  std::list<Complex> complexes;
  searchComplexes(clone.get(), seeds, nullptr, params, &complexes, counts);
  std::puts("Processing random results..");
  filter->feedRandomSamples(complexes.begin(), complexes.end());
  printElapsedTime();
  std::puts("Done\n");
}

}  // namespace

int runPipeline(const RunParams& params) {
  std::unique_ptr<Network> network = readingPhase(params);
  ComplexesFilter filter(params.OVERLAP_THRESHOLD);
  RunSummary summary;
  if (params.RAND_NET_GROWTH_CONTROL) randomPass(*network, params, &filter, &summary.randomPass);

  std::puts("** Processing real biological network **");
  network->finalize(params.DENSITY_BETA, params.p_true);
  std::list<Seed> seeds;
  searchSeeds(network.get(), params, &seeds, &summary.realPass);
  std::list<Complex> complexes;
  searchComplexes(network.get(), seeds, &filter, params, &complexes, &summary.realPass);
  std::puts("Done\n");

  std::puts("Writing alignments to files..");
  const std::string alignDir = params.out_prefix + "/alignments/";
  mkdir(alignDir.c_str(), 0777);
  uint failures = writeAlignmentsToFiles(alignDir, complexes);
  std::puts("Done");
  std::puts("Writing filtered complexes to files..");
  failures += writeComplexesToFiles(params.out_prefix, static_cast<byte>(network->SPECIES_NUM), complexes);
  std::puts("Done");
  if (!writeRunManifest(params.out_prefix, network->SPECIES_NUM, params.in_prefix)) {
    std::printf("ERROR: Can't create file: %s/manifest.tsv\n", params.out_prefix.c_str());
    ++failures;
  }
  if (params.WRITE_REPORT) {
    completeSummary(params, *network, filter, complexes, &summary);
    failures += writeReportFiles(params.out_prefix, summary);
  }
  if (failures) std::printf("ERROR: %u output files could not be written\n", failures);
  std::printf("Reminder: outdir: %s\n", params.out_prefix.c_str());
  std::puts("\n--= FINISHED =--");
  std::fflush(stdout);
  return failures ? 252 : 0;
}
