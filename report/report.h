// Summary outputs of a run, beside the per-complex files: complexes.tsv,
// complexes.sif with nodes.tsv for Cytoscape, and report.html.
#pragma once

#include "report/complex_rows.h"
#include "report/cytoscape_files.h"
#include "report/html_report.h"
#include "report/run_summary.h"
#include "report/summary_table.h"
