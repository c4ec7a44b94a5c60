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
        out += row({std::to_string(complexes[c].id), results.run->speciesKey(f.species), results.go->id(t.term),
                    results.go->name(t.term), results.go->aspect(t.term), std::to_string(t.k),
                    std::to_string(e.n), std::to_string(t.K), std::to_string(e.N), number(t.p),
                    number(t.correctedP)});
      }
    }
  }
  return out;
}

std::string functionSummaryTable(const AnnotationResults& results) {
  std::string out =
      row({"species", "complexes", "coherent", "coherent_fraction", "terms", "controls", "control_complexes",
           "control_coherent", "control_coherent_fraction", "undrawable_parts"});
  for (const SpeciesFunction& f : results.function) {
    const double fraction = f.tested == 0 ? 0 : double(f.coherent) / double(f.tested);
    const bool controlled = f.controls > 0;
    out += row({results.run->speciesKey(f.species), std::to_string(f.tested), std::to_string(f.coherent),
                number(fraction), std::to_string(f.terms), std::to_string(f.controls),
                controlled ? std::to_string(f.controlTested) : "",
                controlled ? std::to_string(f.controlCoherent) : "",
                f.controlTested > 0 ? number(double(f.controlCoherent) / double(f.controlTested)) : "",
                controlled ? std::to_string(f.undrawable) : ""});
  }
  return out;
}

std::string referenceMatchTable(const AnnotationResults& results) {
  std::string out = row({"species", "references", "dropped", "predicted", "precision", "recall", "MMR", "Sn",
                         "PPV", "Acc", "Sep", "controls", "control_precision", "control_recall",
                         "control_MMR", "control_Sn", "control_PPV", "control_Acc", "control_Sep"});
  for (const SpeciesKnown& k : results.known) {
    const MatchFigures& m = k.figures;
    std::vector<std::string> fields = {results.run->speciesKey(k.species),
                                       std::to_string(k.references.size()),
                                       std::to_string(k.dropped),
                                       std::to_string(k.predictedCount),
                                       number(m.precision),
                                       number(m.recall),
                                       number(m.mmr),
                                       number(m.sn),
                                       number(m.ppv),
                                       number(m.acc),
                                       number(m.sep),
                                       std::to_string(k.controls)};
    const MatchFigures& c = k.controlFigures;
    for (double v : {c.precision, c.recall, c.mmr, c.sn, c.ppv, c.acc, c.sep})
      fields.push_back(k.controls > 0 ? number(v) : "");
    out += row(fields);
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
      out += row({std::to_string(complexes[c].id), results.run->speciesKey(k.species), ref ? ref->id : "",
                  ref ? ref->name : "", number(b.os), std::to_string(b.t),
                  std::to_string(complexes[c].proteins[k.species].size()),
                  ref ? std::to_string(ref->members.size()) : ""});
    }
  }
  return out;
}

std::string controlsTable(const AnnotationResults& results) {
  std::string out = row({"id", "species", "size", "connected", "density", "controls", "control_density",
                         "control_complexes", "control_coherent"});
  const std::vector<RunComplex>& complexes = results.run->complexes();
  for (size_t c = 0; c < complexes.size(); ++c) {
    for (const MatchedControls& controls : results.controls) {
      const PartControls& p = controls.parts()[c];
      const SpeciesFunction* f = nullptr;
      for (const SpeciesFunction& candidate : results.function)
        if (candidate.species == controls.species()) f = &candidate;
      const bool tested = f && !p.groups.empty();
      out += row({std::to_string(complexes[c].id), results.run->speciesKey(controls.species()),
                  std::to_string(p.part.size()), p.part.empty() ? "" : std::to_string(int(p.connected)),
                  p.part.size() < 2 ? "" : number(p.density), std::to_string(p.groups.size()),
                  p.part.size() < 2 || p.groups.empty() ? "" : number(p.groupDensity),
                  tested ? std::to_string(f->controlParts[c].tested) : "",
                  tested ? std::to_string(f->controlParts[c].coherent) : ""});
    }
  }
  return out;
}
