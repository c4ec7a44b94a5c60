// The tables trellis2-annotate writes into the run's directory, tab-separated
// with a header line, loadable by data-frame readers without options. Real
// numbers are written with %.6g.
//
// go_enrichment.tsv: one row per complex, species and term whose corrected p
//   is at most --max-p, in the order of complexes.tsv, then species, then
//   corrected p, then term id. Columns: id, species, term, name, aspect, k, n,
//   K, N, p, corrected_p.
// function_summary.tsv: one row per species with annotations. Columns:
//   species, complexes (with n >= 2), coherent, coherent_fraction (0 without
//   complexes), terms; then the matched controls: controls (groups drawn per
//   part, 0 without --controls), control_complexes (groups with n >= 2),
//   control_coherent, control_coherent_fraction, undrawable_parts. The
//   control columns are empty without controls, and the fraction without
//   groups to test.
// reference_match.tsv: one row per species with known complexes. Columns:
//   species, references (kept), dropped, predicted, precision, recall, MMR,
//   Sn, PPV, Acc, Sep; controls (draws, 0 without --controls) and the mean
//   figures of the draws: control_precision .. control_Sep (empty without
//   controls).
// reference_hits.tsv: one row per complex and species with known complexes
//   where the complex has at least 2 proteins, in the order of complexes.tsv.
//   Columns: id, species, reference, name, OS, T, size, reference_size; the
//   reference columns are empty (OS and T 0) when no reference shares a
//   protein with the complex.
// controls.tsv (with --controls): one row per complex and species with
//   controls, in the order of complexes.tsv. Columns: id, species, size
//   (distinct proteins), connected (0 or 1), density (interactions over
//   pairs), controls (groups drawn: 0 when the part is larger than every
//   component), control_density (their mean density), control_complexes and
//   control_coherent (of the groups, those with n >= 2 and the coherent
//   ones; empty without annotations). Empty where a part has too few proteins
//   for the figure.
#pragma once

#include <string>

#include "tools/annotate/annotation_results.h"

std::string goEnrichmentTable(const AnnotationResults& results);
std::string functionSummaryTable(const AnnotationResults& results);
std::string referenceMatchTable(const AnnotationResults& results);
std::string referenceHitsTable(const AnnotationResults& results);
std::string controlsTable(const AnnotationResults& results);
