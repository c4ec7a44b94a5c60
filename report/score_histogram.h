// The SVG histogram of the final complex scores: one row per complex size, on a
// shared score axis, with the random-pass threshold of the size marked.
#pragma once

#include <string>
#include <vector>

#include "report/complex_rows.h"
#include "report/run_summary.h"

std::string drawScoreHistogram(const std::vector<ComplexRow>& rows, const RunSummary& summary);
