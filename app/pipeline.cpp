#include "app/pipeline.h"

#include <cstdio>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/output_dir.h"
#include "app/output_files.h"
#include "app/pass_results.h"
#include "common/error.h"
#include "common/text.h"
#include "common/rand48.h"
#include "common/run_files.h"
#include "complexes/complexes_crawler.h"
#include "complexes/complexes_filter.h"
#include "network/netbuilder.h"
#include "progress/progress_meter.h"
#include "report/complex_rows.h"
#include "report/run_manifest.h"
#include "seeds/edges_seeds_generator.h"
#include "seeds/seed_overlap_filter.h"

bool Pipeline::isRealPass(uint pass) const {
  return pass == (m_params.RAND_NET_GROWTH_CONTROL ? m_params.RANDOM_PASSES : 0);
}

std::string Pipeline::passName(uint pass) const {
  if (isRealPass(pass)) return "real network:";
  return strFormat("random network %u/%u:", pass + 1, m_params.RANDOM_PASSES);
}

void Pipeline::elapsed() const {
  printElapsedTime(m_console);
  std::fflush(m_console);
}

void Pipeline::step(const std::string& text) const {
  if (m_notes.step) m_notes.step(text + strFormat(" [%ld s]", elapsedSeconds()));
}

// A species whose proteins have no similarity link to any other species
// cannot take part in a complex: its names most likely differ from those of
// the similarity file.
void Pipeline::warnAboutInputs(const Network& network) const {
  if (!m_notes.warning) return;
  for (byte s = 0; s < network.SPECIES_NUM; ++s) {
    size_t linked = 0;
    for (const Node* n : network.layer(s)) {
      for (byte k = 0; k < network.SPECIES_NUM; ++k)
        if (k != s && n->getHomologsNum(k) > 0) {
          ++linked;
          break;
        }
    }
    if (linked == 0)
      m_notes.warning(strFormat("species %u: none of its %zu proteins has a similarity link to another species "
                                "(do the names of its network and of the similarity file match? "
                                "trellis2-prep check shows them)",
                                s, network.layer(s).size()));
  }
}

bool Pipeline::searchSeeds(const Network* network, uint pass, std::list<Seed>* out, PhaseCounts* counts) {
  EdgesSeedsGenerator generator(network, m_params.ORIENTATION_TREES, m_params.START_SEARCH_FROM_SEED_Dn > 1,
                                m_params.SALIGN_NODES_TYPE);
  generator.setThreads(m_params.THREADS);
  std::fputs("Looking for seeds..\n", m_console);
  std::fflush(m_console);
  ProgressMeter meter("Seeds", generator.anchorCount());
  std::list<Seed> found;
  m_results.seeds(pass, *network, generator, [&](size_t anchor, std::optional<Seed>& seed) {
    EdgesSeedsGenerator::reportCovered(anchor + 1, found.size(), m_console);
    if (seed) found.push_back(std::move(*seed));
    meter.advance();
  });
  meter.finish();
  if (!m_results.growsSeeds()) return false;
  std::fprintf(m_console, "Done. %d seeds were found\n\n", static_cast<int>(found.size()));
  elapsed();

  const double threshold = m_params.SEEDS_MAX_ALLOWED_OVERLAP;
  std::fprintf(m_console, "Filtering overlapping seeds (threshold: %.2f)..\n", threshold);
  *out = filterOverlappingSeeds(pointersTo(found), threshold);
  size_t printed = 0;
  for (auto it = out->begin(); it != out->end() && printed < 1500; ++it, ++printed) it->dbg_print(m_console);
  std::fprintf(m_console, "Done. %d seeds after filtering (proteins overlap >= %.2f%%)\n\n",
               static_cast<int>(out->size()), threshold);
  elapsed();
  step(strFormat("%s seeds: %zu found, %zu after the overlap filter", passName(pass).c_str(), found.size(),
                 out->size()));
  if (found.empty() && isRealPass(pass) && m_notes.warning)
    m_notes.warning("no seed was found, so no complex can be: are there similarity links between interacting "
                    "proteins of different species?");
  if (counts) {
    counts->ran = true;
    counts->seedsFound += found.size();
    counts->seedsKept += out->size();
  }
  return true;
}

std::list<Complex> Pipeline::growComplexes(const Network* network, const std::list<Seed>& seeds,
                                           ComplexesCrawler& crawler, uint pass, bool randomPass) {
  std::fputs("Looking for complexes..\n", m_console);
  std::fflush(m_console);
  ProgressMeter meter("Complexes", seeds.size());
  std::fputs("Started\n", m_console);
  std::list<Complex> found;
  m_results.growth(pass, randomPass, *network, crawler, pointersTo(seeds),
                   [&](size_t i, std::unique_ptr<Complex>& complex) {
                     if (complex) found.push_back(std::move(*complex));
                     meter.advance();
                     ComplexesCrawler::reportProgress(static_cast<uint>(i + 1), found.size(), m_console);
                   });
  meter.finish();
  return found;
}

void Pipeline::filterRefinedComplexes(const ComplexesFilter& filter, std::list<Complex>* complexes) {
  std::fputs("Filtering refined complexes...\n", m_console);
  std::list<Complex> kept;
  filter.filterRefined(*complexes, m_params.FINAL_NOISE_FILTER, m_params.FINAL_OVERLAP_FILTER, &kept, m_console);
  ComplexesFilter::print_statistics(kept, m_params.MAX_SIZE, m_console);
  std::fprintf(m_console, "Done, %d refined complexes after filtering (were %u)\n", static_cast<int>(kept.size()),
               static_cast<uint>(complexes->size()));
  elapsed();
  *complexes = std::move(kept);
}

bool Pipeline::searchComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesFilter* filter,
                               uint pass, std::list<Complex>* out, PhaseCounts* counts) {
  ComplexesCrawler crawler(network, m_params.NODES_DUPS_THRESHOLD, m_params.EALIGN_NODES_TYPE,
                           m_params.ORIENTATION_TREES, m_params.MAX_SIZE, m_params.STRICT_REUSE);
  crawler.setThreads(m_params.THREADS);
  const bool randomPass = filter == nullptr;
  const std::list<Complex> found = growComplexes(network, seeds, crawler, pass, randomPass);
  if (!m_results.refinesComplexes()) return false;
  std::fputs("Statistics before filtering:\n", m_console);
  ComplexesFilter::print_statistics(found, m_params.MAX_SIZE, m_console);
  std::fprintf(m_console, "Done, %d complexes found\n", static_cast<int>(found.size()));
  elapsed();
  size_t printed = 0;
  for (auto it = found.begin(); it != found.end() && printed < 1000; ++it, ++printed) it->dbg_print(m_console);

  std::list<Complex> filtered;
  if (filter) {
    std::fputs("Filtering complexes...\n", m_console);
    std::fflush(m_console);
    filter->filter(found.begin(), found.end(), &filtered, m_console);
    ComplexesFilter::print_statistics(filtered, m_params.MAX_SIZE, m_console);
    std::fprintf(m_console, "Done, %d complexes after filtering (were %u)\n", static_cast<int>(filtered.size()),
                 static_cast<uint>(found.size()));
    elapsed();
  } else {
    filtered = found;
  }

  // Without attempts a refine stage still hands the complexes on.
  const bool refines = m_params.REFINEMENT_ITERATIONS != 0 || m_results.stage() == RunStage::REFINE;
  if (m_params.REFINEMENT_ITERATIONS != 0) {
    std::fprintf(m_console, "Refining complexes (%d iterations/complex)..\n",
                 static_cast<int>(m_params.REFINEMENT_ITERATIONS));
    std::fflush(m_console);
  }
  if (refines) {
    ProgressMeter refining("Refinement", filtered.size());
    m_results.refinement(pass, randomPass, *network, crawler, pointersTo(filtered), [&](size_t, Complex& refined) {
      out->push_back(std::move(refined));
      refining.advance();
    });
    refining.finish();
  } else {
    *out = filtered;
  }
  ComplexesFilter::print_statistics(*out, m_params.MAX_SIZE, m_console);
  std::fprintf(m_console, "Done, for %d complexes\n", static_cast<int>(out->size()));
  elapsed();
  const size_t refinedCount = out->size();
  // Only where the outputs are written: a refine stage holds a block of the complexes.
  const bool filterRefined = filter && m_results.writesOutputs() &&
                             (m_params.FINAL_NOISE_FILTER || m_params.FINAL_OVERLAP_FILTER);
  if (filterRefined) filterRefinedComplexes(*filter, out);
  const std::string kept = filter ? strFormat(", %zu after the complex filter", filtered.size()) : "";
  const std::string final = filterRefined ? strFormat(", %zu after filtering the refined", out->size()) : "";
  step(strFormat("%s complexes: %zu grown%s, %zu refined%s", passName(pass).c_str(), found.size(), kept.c_str(),
                 refinedCount, final.c_str()));
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
  summary->naming.species = params.SPECIES_NAMES;
  summary->naming.labels = ProteinLabels::read(labelsFile(params.in_prefix));
}

}  // namespace

std::unique_ptr<Network> Pipeline::readingPhase() {
  std::unique_ptr<Network> network(new Network(m_params.species_num));
  NetworkBuilder builder(network.get(), m_params.BLAST_THRESHOLD, m_params.MAX_HOMOLOG_PER_NODE, m_console);
  std::fputs("Reading data network..\n", m_console);
  builder.readNetwork(m_params.in_prefix);
  std::fputs("Network statistics:\n", m_console);
  network->dbg_stats_print(m_console);
  std::fputs("\n", m_console);
  printElapsedTime(m_console);
  std::fputs("Ok\n\n", m_console);
  std::fflush(m_console);
  std::string proteins;
  for (byte s = 0; s < network->SPECIES_NUM; ++s)
    proteins += (s ? ", " : "") + std::to_string(network->layer(s).size());
  step("read " + std::to_string(network->SPECIES_NUM) + " species of " + proteins + " proteins");
  warnAboutInputs(*network);
  return network;
}

// Searches shuffled clones of the network, one after another, each shuffled
// where the generator was left by the one before, and teaches the filter the
// scores of their complexes.
void Pipeline::randomPasses(const Network& network, ComplexesFilter* filter, PhaseCounts* counts) {
  Rand48 shuffling(static_cast<uint32_t>(RANDOM_SEED));
  const auto draw = [&shuffling] { return shuffling.next(); };
  const uint passes = m_params.RANDOM_PASSES;
  for (uint pass = 0; pass < passes; ++pass) {
    std::fputs("Cloning network:\n", m_console);
    std::unique_ptr<Network> clone(network.clone());
    TRELLIS_ASSERT(clone != nullptr);
    printElapsedTime(m_console);
    std::fputs("Ok\n\n", m_console);
    std::fprintf(m_console, "** Shuffling clone network. i%u/%u.. **\n", pass + 1, passes);
    clone->shuffleNetwork(100, draw, m_console);
    printElapsedTime(m_console);
    std::fputs("Ok\n\n", m_console);
    std::fputs("Processing randomized clone network..\n", m_console);
    clone->finalize(m_params.DENSITY_BETA, m_params.p_true, m_console);
    std::list<Seed> seeds;
    if (!searchSeeds(clone.get(), pass, &seeds, counts)) continue;
    std::list<Complex> complexes;
    if (!searchComplexes(clone.get(), seeds, nullptr, pass, &complexes, counts)) continue;
    std::fputs("Processing random results..\n", m_console);
    filter->feedRandomSamples(complexes.begin(), complexes.end(), m_console);
    printElapsedTime(m_console);
    std::fputs("Done\n\n", m_console);
  }
}

// The per-complex files, the manifest and the summary outputs; returns the
// number of files that could not be written.
uint Pipeline::writeOutputs(const Network& network, const ComplexesFilter& filter,
                            const std::list<Complex>& complexes, RunSummary* summary) {
  const std::string& outDir = m_params.out_prefix;
  const uint removed = removeEarlierResults(outDir, network.SPECIES_NUM, complexes, m_console);
  if (removed != 0)
    std::fprintf(m_console, " WARNING: removed %u files of an earlier run from %s\n", removed, outDir.c_str());
  std::fputs("Writing alignments to files..\n", m_console);
  makeOwnDirectory(alignmentsDir(outDir));
  // The alignment files' paths keep the slash doubled: "out/alignments//ucomplex_00005.txt".
  uint failures = writeAlignmentsToFiles(alignmentsDir(outDir) + "/", complexes, m_console);
  std::fputs("Done\n", m_console);
  std::fputs("Writing filtered complexes to files..\n", m_console);
  failures += writeComplexesToFiles(outDir, static_cast<byte>(network.SPECIES_NUM), complexes, m_console);
  std::fputs("Done\n", m_console);
  if (!writeRunManifest(outDir, network.SPECIES_NUM, m_params.in_prefix, m_params.SPECIES_NAMES)) {
    std::fprintf(m_console, "ERROR: Can't create file: %s/manifest.tsv\n", outDir.c_str());
    ++failures;
  }
  if (m_params.WRITE_REPORT) {
    completeSummary(m_params, network, filter, complexes, summary);
    if (summary->naming.labels.skipped != 0 && m_notes.warning)
      m_notes.warning(strFormat("%s: %zu lines are not id<TAB>label and were left out",
                                labelsFile(m_params.in_prefix).c_str(), summary->naming.labels.skipped));
    failures += writeReportFiles(outDir, *summary, m_console);
  }
  return failures;
}

int Pipeline::run() {
  std::unique_ptr<Network> network = readingPhase();
  ComplexesFilter filter(m_params.OVERLAP_THRESHOLD, m_params.MAX_SIZE);
  RunSummary summary;
  if (m_params.RAND_NET_GROWTH_CONTROL) randomPasses(*network, &filter, &summary.randomPass);

  std::fputs("** Processing real biological network **\n", m_console);
  network->finalize(m_params.DENSITY_BETA, m_params.p_true, m_console);
  const uint realPass = m_params.RAND_NET_GROWTH_CONTROL ? m_params.RANDOM_PASSES : 0;
  std::list<Seed> seeds;
  std::list<Complex> complexes;
  if (searchSeeds(network.get(), realPass, &seeds, &summary.realPass))
    searchComplexes(network.get(), seeds, &filter, realPass, &complexes, &summary.realPass);
  if (!m_results.writesOutputs()) return m_results.commitShard();
  std::fputs("Done\n\n", m_console);

  const uint failures = writeOutputs(*network, filter, complexes, &summary);
  if (failures) std::fprintf(m_console, "ERROR: %u output files could not be written\n", failures);
  step(strFormat("wrote %zu complexes to %s", complexes.size(), m_params.out_prefix.c_str()));
  if (m_params.WRITE_REPORT && m_notes.step) {
    const FinalOverlap overlap = finalOverlap(complexRows(summary));
    m_notes.step(strFormat("the final complexes overlap by at most %.0f%% (%zu pairs beyond the filter's %.0f%%); "
                           "report: %s/report.html",
                           100 * overlap.largest, overlap.pairsBeyond, 100 * m_params.OVERLAP_THRESHOLD,
                           m_params.out_prefix.c_str()));
  }
  std::fprintf(m_console, "Reminder: outdir: %s\n", m_params.out_prefix.c_str());
  std::fputs("\n--= FINISHED =--\n", m_console);
  std::fflush(m_console);
  return failures ? EXIT_OUTPUTS : 0;
}
