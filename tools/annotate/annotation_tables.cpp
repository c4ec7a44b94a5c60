#include "tools/annotate/annotation_tables.h"

#include "report/markup.h"
#include "common/text.h"

namespace {

std::string number(double v) { return strFormat("%.6g", v); }

std::string row(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& f : fields) line += (line.empty() ? "" : "\t") + tsvField(f);
  return line + "\n";
}

}  // namespace

std::string goEnrichmentTable(const AnnotationResults& results) {
  std::string out = row({"id", "species", "term", "name", "aspect", "k", "n", "K", "N", "p", "corrected_p"});
  const std::vector<RunComplex>& complexes = results.run->complexes();
  for (size_t c = 0; c < complexes.size(); ++c) {
    for (const SpeciesFunction& f : results.function) {
      const ComplexEnrichment& e = f.complexes[c];
      for (const TermTest& t : e.tests) {
        if (t.correctedP > results.maxP) break;  // tests come by ascending corrected p
        out += row({std::to_string(complexes[c].id), std::to_string(f.species), results.go->id(t.term),
                    results.go->name(t.term), results.go->aspect(t.term), std::to_string(t.k),
                    std::to_string(e.n), std::to_string(t.K), std::to_string(e.N), number(t.p),
                    number(t.correctedP)});
      }
    }
  }
  return out;
}

std::string functionSummaryTable(const AnnotationResults& results) {
  std::string out = row({"species", "complexes", "coherent", "coherent_fraction", "terms"});
  for (const SpeciesFunction& f : results.function) {
    const double fraction = f.tested == 0 ? 0 : double(f.coherent) / double(f.tested);
    out += row({std::to_string(f.species), std::to_string(f.tested), std::to_string(f.coherent),
                number(fraction), std::to_string(f.terms)});
  }
  return out;
}

std::string referenceMatchTable(const AnnotationResults& results) {
  std::string out = row({"species", "references", "dropped", "predicted", "precision", "recall", "MMR", "Sn",
                         "PPV", "Acc", "Sep"});
  for (const SpeciesKnown& k : results.known) {
    const MatchFigures& m = k.figures;
    out += row({std::to_string(k.species), std::to_string(k.references.size()), std::to_string(k.dropped),
                std::to_string(k.predictedCount), number(m.precision), number(m.recall), number(m.mmr),
                number(m.sn), number(m.ppv), number(m.acc), number(m.sep)});
  }
  return out;
}

std::string referenceHitsTable(const AnnotationResults& results) {
  std::string out = row({"id", "species", "reference", "name", "OS", "T", "size", "reference_size"});
  const std::vector<RunComplex>& complexes = results.run->complexes();
  for (size_t c = 0; c < complexes.size(); ++c) {
    for (const SpeciesKnown& k : results.known) {
      if (!k.predicted[c]) continue;
      const BestReference& b = k.best[c];
      const ReferenceComplex* ref = b.reference < 0 ? nullptr : &k.references[b.reference];
      out += row({std::to_string(complexes[c].id), std::to_string(k.species), ref ? ref->id : "",
                  ref ? ref->name : "", number(b.os), std::to_string(b.t),
                  std::to_string(complexes[c].proteins[k.species].size()),
                  ref ? std::to_string(ref->members.size()) : ""});
    }
  }
  return out;
}
