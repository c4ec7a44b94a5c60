// report.html: one self-contained page (no scripts needed to read it, no
// external files) with the run parameters, network and model statistics,
// search counts, the score histogram, the sortable complexes table and the
// drawings of the best complexes; with empty slots (annotation_slots.h) where
// trellis2-annotate adds what the complexes mean.
#pragma once

#include <cstdio>
#include <vector>

#include "report/complex_rows.h"
#include "report/run_summary.h"

// Complexes drawn, best rank first; the table lists every complex.
constexpr size_t DRAWN_COMPLEXES = 200;

void writeHtmlReport(FILE* f, const RunSummary& summary, const std::vector<ComplexRow>& rows);
