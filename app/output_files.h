// The result files of a run: one alignment file per complex and, per species,
// one file per complex; beside them the summary outputs (table, Cytoscape
// files, HTML report).
#pragma once

#include <cstdio>
#include <list>
#include <string>

#include "common/common_types.h"
#include "complexes/complex.h"
#include "report/run_summary.h"

// The files are written under a temporary name and renamed into place (see
// OutputFile), so a link standing where one belongs is replaced, never
// written through, and a file that cannot be written is not there at all.

// Writes one alignment file per complex into dir.
// Each file that cannot be written is reported on console; returns their number.
uint writeAlignmentsToFiles(const std::string& dir, const std::list<Complex>& complexes, FILE* console);

// Writes, for every species, one file per complex into <outDir>/species_<s>
// (made when missing, see makeOwnDirectory).
// Returns the number of files that could not be written.
uint writeComplexesToFiles(const std::string& outDir, byte speciesNum, const std::list<Complex>& complexes,
                           FILE* console);

// Writes complexes.tsv, complexes.sif, nodes.tsv and report.html into dir.
// Nothing is attempted when dir is not a directory: every per-complex file
// has then been reported lost already. Returns the number of files that could
// not be written.
uint writeReportFiles(const std::string& dir, const RunSummary& summary, FILE* console);
