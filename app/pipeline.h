// The search pipeline: reading, the optional random pass, seed and complex
// search with filtering and refinement, and the output files.
#pragma once

#include <list>

#include "app/command_line.h"
#include "complexes/complexes_crawler.h"
#include "network/network.h"
#include "report/run_summary.h"
#include "seeds/edges_seeds_generator.h"

class ComplexesFilter;

// Keeps, of every group of seeds overlapping by at least threshold, the best
// (the earlier of equal scores); out receives copies in candidate order.
void filterOverlappingSeeds(std::list<const Seed*> candidates, double threshold, std::list<Seed>* out);

// Seed search on a finalised network, then the seed overlap filter; out
// receives the kept seeds. counts, when given, receives the seed counts.
void searchSeeds(const Network* network, const RunParams& params, std::list<Seed>* out,
                 PhaseCounts* counts = nullptr);

// Grows the seeds into complexes, filters them (when a filter is given) and
// refines the survivors; out receives the final complexes. counts, when given,
// receives the complex counts.
void searchComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesFilter* filter,
                     const RunParams& params, std::list<Complex>* out, PhaseCounts* counts = nullptr);

// Reading, the optional random pass, the real pass and the output files.
// Returns the process exit status.
int runPipeline(const RunParams& params);
