// The search pipeline: reading, the optional random passes, seed and complex
// search with filtering and refinement, and the output files. The costly
// results come from a PassResults: computed by this process, or read from the
// shard files of a split run.
#pragma once

#include <list>

#include "app/command_line.h"
#include "complexes/complexes_crawler.h"
#include "network/network.h"
#include "report/run_summary.h"
#include "seeds/edges_seeds_generator.h"

class ComplexesFilter;
class PassResults;

// Keeps, of every group of seeds overlapping by at least threshold, the best
// (the earlier of equal scores); out receives copies in candidate order.
void filterOverlappingSeeds(std::list<const Seed*> candidates, double threshold, std::list<Seed>* out);

// Seed search of one pass on a finalised network, then the seed overlap
// filter; out receives the kept seeds, counts (when given) adds the seed
// counts. False when this process stops after the seeds (a seeds stage).
bool searchSeeds(const Network* network, const RunParams& params, uint pass, PassResults& results,
                 std::list<Seed>* out, PhaseCounts* counts);
// The same for a run in one process.
void searchSeeds(const Network* network, const RunParams& params, std::list<Seed>* out,
                 PhaseCounts* counts = nullptr);

// Grows the seeds into complexes, filters them (when a filter is given: the
// real pass) and refines the survivors; out receives the final complexes,
// counts (when given) adds the complex counts. False when this process stops
// after the growth (a grow stage).
bool searchComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesFilter* filter,
                     const RunParams& params, uint pass, PassResults& results, std::list<Complex>* out,
                     PhaseCounts* counts);

// Reading, the optional random passes, the real pass and the output files
// (a stage of a split run: its shard file instead). Returns the exit status.
int runPipeline(const RunParams& params, PassResults& results);
int runPipeline(const RunParams& params);
