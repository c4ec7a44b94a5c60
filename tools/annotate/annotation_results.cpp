#include "tools/annotate/annotation_results.h"

#include <set>
#include <unordered_map>

#include "tools/annotate/go_population.h"
#include "tools/annotate/parallel_for.h"

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

// The coherence of every control group of every part.
void enrichControls(const MatchedControls& controls, const GoOntology& go, const GoPopulation& population,
                    unsigned threads, SpeciesFunction* f) {
  const std::vector<PartControls>& parts = controls.parts();
  f->controls = controls.count();
  f->undrawable = controls.undrawable();
  f->controlParts.assign(parts.size(), ControlCoherence());
  const LogFactorials logFactorials(population.size());
  parallelFor(parts.size(), threads, [&](size_t c) {
    ControlCoherence& result = f->controlParts[c];
    for (const std::vector<uint32_t>& group : parts[c].groups) {
      std::vector<std::string> names;
      for (uint32_t v : group) names.push_back(controls.graph().name(v));
      unsigned n = 0;
      const bool coherent = isCoherent(go, population, logFactorials, names, &n);
      if (n < 2) continue;
      ++result.tested;
      result.coherent += coherent;
    }
  });
  for (const ControlCoherence& part : f->controlParts) {
    f->controlTested += part.tested;
    f->controlCoherent += part.coherent;
  }
}

// The recovery figures of each draw's groups, averaged in draw order.
MatchFigures controlRecovery(const MatchedControls& controls, const std::vector<ReferenceComplex>& references,
                             double omega, unsigned threads) {
  std::vector<std::vector<uint32_t>> refs;
  for (const ReferenceComplex& r : references) {
    refs.emplace_back();
    for (const std::string& m : r.members)
      refs.back().push_back(static_cast<uint32_t>(controls.graph().find(m)));
  }
  std::vector<MatchFigures> perDraw(controls.count());
  parallelFor(perDraw.size(), threads, [&](size_t d) {
    std::vector<std::vector<uint32_t>> groups;
    for (const PartControls& p : controls.parts())
      if (p.part.size() >= 2 && !p.groups.empty()) groups.push_back(p.groups[d]);
    perDraw[d] = matchComplexes(refs, groups, omega).figures;
  });
  MatchFigures mean;
  double* const sums[] = {&mean.precision, &mean.recall, &mean.mmr, &mean.sn,
                          &mean.ppv,       &mean.acc,    &mean.sep};
  for (const MatchFigures& m : perDraw) {
    const double values[] = {m.precision, m.recall, m.mmr, m.sn, m.ppv, m.acc, m.sep};
    for (size_t i = 0; i < 7; ++i) *sums[i] += values[i];
  }
  if (!perDraw.empty())
    for (double* sum : sums) *sum /= double(perDraw.size());
  return mean;
}

}  // namespace

SpeciesFunction analyseFunction(unsigned s, const RunResults& run, const NetworkProteins& net,
                                const GoOntology& go, const GafAnnotations& gaf,
                                const MatchedControls* controls, unsigned threads) {
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
  if (controls) enrichControls(*controls, go, population, threads, &f);
  return f;
}

SpeciesKnown analyseKnown(unsigned s, const RunResults& run, const NetworkProteins& net,
                          const std::string& file, const ReferenceSet& references, double omega,
                          const MatchedControls* controls, unsigned threads) {
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
  if (controls) {
    k.controls = controls->count();
    k.controlFigures = controlRecovery(*controls, k.references, omega, threads);
  }
  return k;
}
