#include "report/summary_table.h"

#include "report/markup.h"

namespace {

// A tab, then the value with %.6g, or nothing when there is none.
std::string optionalField(const std::optional<double>& v) { return v ? strFormat("\t%.6g", *v) : "\t"; }

}  // namespace

void writeSummaryTable(FILE* f, const std::vector<ComplexRow>& rows, const RunSummary& summary) {
  std::string header = "id\trank\taligned_nodes\tproteins\tscore";
  const Naming& naming = summary.naming;
  const auto perSpecies = [&](const char* column) {
    std::string columns;
    for (uint s = 0; s < summary.speciesNum; ++s)
      columns += "\t" + tsvField(std::string(column) + "_" + naming.speciesKey(s));
    return columns;
  };
  header += perSpecies("score") + perSpecies("proteins");
  if (summary.randomFilter) header += "\trandom_threshold\trandom_best";
  header += perSpecies("distinct") + perSpecies("connected");
  if (naming.labels.found) header += perSpecies("labels");
  header += "\toverlapping";
  if (summary.randomFilter) header += "\trandom_samples\ttail_p\tq_value";
  header += "\tempirical_p";
  std::fprintf(f, "%s\n", header.c_str());
  for (const ComplexRow& r : rows) {
    std::string line = strFormat("%u\t%u\t%zu\t%zu\t%.6f", r.id, r.rank, r.alignedNodes, r.proteins, r.score);
    for (double score : r.speciesScores) line += strFormat("\t%.6f", score);
    for (const std::vector<const Node*>& proteins : r.speciesProteins) {
      std::string names;
      for (const Node* n : proteins) names += (names.empty() ? "" : ",") + n->m_name;
      line += "\t" + tsvField(names);
    }
    if (summary.randomFilter)
      line += r.hasRandom ? strFormat("\t%.6f\t%.6f", r.randomThreshold, r.randomBest) : std::string("\t\t");
    for (const std::vector<const Node*>& proteins : r.speciesProteins) line += strFormat("\t%zu", proteins.size());
    for (bool connected : r.speciesConnected) line += connected ? "\t1" : "\t0";
    if (naming.labels.found) {
      for (const std::vector<const Node*>& proteins : r.speciesProteins) {
        std::string labels;
        for (const Node* n : proteins) labels += (labels.empty() ? "" : ",") + naming.labelOf(n);
        line += "\t" + tsvField(labels);
      }
    }
    line += strFormat("\t%u", r.overlapping);
    if (summary.randomFilter)
      line += strFormat("\t%u", r.randomSamples) + optionalField(r.tailP) + optionalField(r.qValue);
    line += optionalField(r.empiricalP);
    std::fprintf(f, "%s\n", line.c_str());
  }
}
