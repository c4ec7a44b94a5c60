#include "tools/annotate/annotation_results.h"

#include <set>
#include <unordered_map>

#include "tools/annotate/go_population.h"

namespace {

// Interns protein names as ids for the matching.
class ProteinIds {
 public:
  std::vector<uint32_t> of(const std::vector<std::string>& names) {
    std::vector<uint32_t> ids;
    for (const std::string& n : names)
      ids.push_back(m_ids.emplace(n, static_cast<uint32_t>(m_ids.size())).first->second);
    return ids;
  }

 private:
  std::unordered_map<std::string, uint32_t> m_ids;
};

}  // namespace

SpeciesFunction analyseFunction(unsigned s, const RunResults& run, const NetworkProteins& net,
                                const GoOntology& go, const GafAnnotations& gaf) {
  const GoPopulation population(go, gaf, net.names);
  SpeciesFunction f;
  f.species = s;
  f.gafFile = gaf.file();
  f.networkProteins = net.names.size();
  f.population = population.size();
  f.byObjectId = population.byObjectId();
  f.bySymbol = population.bySymbol();
  f.bySynonym = population.bySynonym();
  std::set<int> terms;
  for (const RunComplex& c : run.complexes()) {
    f.complexes.push_back(enrichComplex(go, population, c.proteins[s]));
    const ComplexEnrichment& e = f.complexes.back();
    if (e.n < 2) continue;
    ++f.tested;
    f.coherent += e.coherent();
    for (const TermTest& t : e.tests)
      if (t.correctedP <= COHERENT_P) terms.insert(t.term);
  }
  f.terms = terms.size();
  return f;
}

SpeciesKnown analyseKnown(unsigned s, const RunResults& run, const NetworkProteins& net,
                          const std::string& file, const ReferenceSet& references, double omega) {
  SpeciesKnown k;
  k.species = s;
  k.file = file;
  k.format = references.format;
  k.read = references.complexes.size();
  k.references = cutToNetwork(references.complexes, net, &k.dropped);
  ProteinIds ids;
  std::vector<std::vector<uint32_t>> refs, preds;
  for (const ReferenceComplex& r : k.references) refs.push_back(ids.of(r.members));
  for (const RunComplex& c : run.complexes()) {
    k.predicted.push_back(c.proteins[s].size() >= 2);
    if (k.predicted.back()) preds.push_back(ids.of(c.proteins[s]));
  }
  k.predictedCount = preds.size();
  const ComplexMatching m = matchComplexes(refs, preds, omega);
  k.figures = m.figures;
  size_t j = 0;
  for (bool predicted : k.predicted) k.best.push_back(predicted ? m.best[j++] : BestReference());
  return k;
}
