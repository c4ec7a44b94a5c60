// complexes.tsv: one tab-separated row per final complex, with a header line,
// loadable by data-frame readers without options.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "report/complex_rows.h"
#include "report/run_summary.h"

// Columns (<s>: the species' name when given, else its index): id, rank,
// aligned_nodes, proteins, score, score_<s>..., proteins_<s>...
// (comma-separated), with a random pass random_threshold and random_best
// (empty for a size the random pass never produced), distinct_<s>... (distinct
// proteins), connected_<s>... (1 when they form one connected subnetwork),
// with a labels file labels_<s>... (the proteins' labels, or their names),
// overlapping (other complexes beyond the filter's overlap threshold), with a
// random pass random_samples, tail_p and q_value, and last empirical_p (always
// in the header; empty without a random pass and where no random complex of
// the size exists).
void writeSummaryTable(FILE* f, const std::vector<ComplexRow>& rows, const RunSummary& summary);

