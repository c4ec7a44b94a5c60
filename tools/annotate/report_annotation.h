// The part of report.html that trellis2-annotate writes: the slots that
// trellis2 left empty (report/annotation_slots.h) filled with a function
// summary near the top, per species the best term and the best known complex
// of every complex in the complexes table, and a "Function" section listing
// the enrichment rows. Self-contained like the rest of the page; every name
// escaped.
#pragma once

#include <string>
#include <unordered_map>

#include "tools/annotate/annotation_results.h"

// Enrichment rows the report lists per complex and species (go_enrichment.tsv has all of them).
constexpr size_t REPORT_TERMS_PER_COMPLEX = 10;

class ReportAnnotation {
 public:
  explicit ReportAnnotation(const AnnotationResults& results);

  // The content of slot key ("nav", "summary", "head", "row <id>", "section");
  // empty for a key this version does not fill. A row of a complex the run
  // does not have gets empty cells, so that the table keeps its columns.
  std::string slotContent(const std::string& key) const;

 private:
  const AnnotationResults& m_results;
  std::unordered_map<std::string, size_t> m_complexIndex;  // "row <id>" -> index into the run's complexes
};

enum class ReportExtension { EXTENDED, NO_REPORT, NO_SLOTS };

// Fills the slots of <outDir>/report.html (replacing an earlier annotation)
// and writes it back in place of the old page. NO_REPORT when there is no
// report.html (the run used --report: 0), NO_SLOTS when the page has no slots
// or a broken one (*why says which); the page is then left as it was. Throws
// ToolError when the page cannot be read or written.
ReportExtension extendReport(const AnnotationResults& results, std::string* why);
