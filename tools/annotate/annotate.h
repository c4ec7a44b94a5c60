// trellis2-annotate: tells what the complexes of a finished trellis2 run mean.
//
//   trellis2-annotate OUTDIR [--obo FILE --gaf S=FILE... [--max-p X]]
//                            [--reference S=FILE... [--overlap X]]
//                            [--controls N [--seed S]] [--input PREFIX] [--threads N]
//
// Gene Ontology enrichment of every complex per species (go_enrichment.tsv,
// function_summary.tsv) and the recovery of known complexes
// (reference_match.tsv, reference_hits.tsv), each beside matched random
// controls with --controls (controls.tsv), written into OUTDIR, and the
// "Function" part of OUTDIR/report.html. What it read and found goes to
// standard output, errors to standard error. Exit status 0 on success, 1 on an
// input error, 2 on a bad command line.
#pragma once

// Runs the program; returns the exit status.
int annotateMain(int argc, char** argv);
