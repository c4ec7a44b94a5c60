// complexes.tsv: one tab-separated row per final complex, with a header line,
// loadable by data-frame readers without options.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "report/complex_rows.h"
#include "report/run_summary.h"

// Columns: id, rank, aligned_nodes, proteins, score, score_<s>..., proteins_<s>...
// (comma-separated), with a random pass random_threshold and random_best
// (empty for a size the random pass never produced), distinct_<s>... (distinct
// proteins), connected_<s>... (1 when they form one connected subnetwork),
// overlapping (other complexes beyond the filter's overlap threshold), with a
// random pass random_samples, tail_p and q_value, and last empirical_p (always
// in the header; empty without a random pass and where no random complex of
// the size exists).
void writeSummaryTable(FILE* f, const std::vector<ComplexRow>& rows, const RunSummary& summary);

// A field as tab-separated readers take it: as is, or in double quotes with
// inner quotes doubled when it holds a quote (which readers would otherwise
// take as the start of a quoted field).
std::string tsvField(const std::string& text);
