#include "tools/annotate/annotate.h"

#include <cstdio>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tools/annotate/annotate_command_line.h"
#include "tools/annotate/annotation_results.h"
#include "tools/annotate/annotation_tables.h"
#include "tools/annotate/report_annotation.h"
#include "tools/common/file_output.h"
#include "tools/common/tool_error.h"

namespace {

const char* const PROGRAM = "trellis2-annotate";

void checkSpecies(const std::map<unsigned, std::string>& files, const char* option, unsigned speciesNum) {
  for (const auto& entry : files) {
    if (entry.first >= speciesNum)
      throw ToolError(std::string(option) + " " + std::to_string(entry.first) + "=" + entry.second +
                          ": the run has " + std::to_string(speciesNum) + " species (0.." +
                          std::to_string(speciesNum - 1) + ")",
                      true);
  }
}

std::unique_ptr<GoOntology> readOntology(const std::string& path) {
  std::unique_ptr<GoOntology> go(new GoOntology(path));
  std::printf("ontology %s: %zu terms; left out: %zu obsolete, %zu links to terms not in the file\n",
              path.c_str(), go->size(), go->obsoleteCount(), go->unknownParents());
  return go;
}

void reportFunction(const GafAnnotations& gaf, const SpeciesFunction& f) {
  std::printf(
      "species %u: annotations %s: %zu rows; left out: %zu NOT, %zu with an obsolete term, %zu with a "
      "term not in the ontology\n",
      f.species, gaf.file().c_str(), gaf.rows(), gaf.notRows(), gaf.obsoleteRows(), gaf.unknownRows());
  std::printf(
      "species %u: population %zu of %zu network proteins (matched by object id %zu, symbol %zu, "
      "synonym %zu)\n",
      f.species, f.population, f.networkProteins, f.byObjectId, f.bySymbol, f.bySynonym);
  if (f.population == 0 && gaf.rows() > 0)
    std::printf(
        "species %u: WARNING: no protein of the network is named in %s (columns 2, 3 or 11): the "
        "network and the annotations name proteins differently\n",
        f.species, gaf.file().c_str());
  std::printf("species %u: %zu complexes with n >= 2, %zu coherent, %zu terms at corrected p <= %g\n",
              f.species, f.tested, f.coherent, f.terms, COHERENT_P);
  if (f.controls > 0)
    std::printf("species %u: controls: %zu groups with n >= 2, %zu coherent (fraction %.6g)\n", f.species,
                f.controlTested, f.controlCoherent,
                f.controlTested == 0 ? 0 : double(f.controlCoherent) / double(f.controlTested));
}

void reportControls(const MatchedControls& c, uint64_t seed) {
  std::printf(
      "species %u: controls: %u random connected groups per complex part (seed %llu); %zu parts larger "
      "than the largest connected component (%zu proteins) have none\n",
      c.species(), c.count(), static_cast<unsigned long long>(seed), c.undrawable(),
      c.graph().largestComponent());
}

void reportKnown(const SpeciesKnown& k) {
  std::printf(
      "species %u: known complexes %s (%s): %zu read, %zu dropped (fewer than %zu proteins in the network), "
      "%zu kept; %zu predicted complexes\n",
      k.species, k.file.c_str(), k.format.c_str(), k.read, k.dropped, MIN_REFERENCE_PROTEINS,
      k.references.size(), k.predictedCount);
  if (k.references.empty() && k.read > 0)
    std::printf(
        "species %u: WARNING: no known complex of %s keeps %zu proteins of the network: the network and "
        "the known complexes name proteins differently, or belong to other species\n",
        k.species, k.file.c_str(), MIN_REFERENCE_PROTEINS);
  const MatchFigures& m = k.figures;
  std::printf("species %u: precision %.6g, recall %.6g, MMR %.6g, Sn %.6g, PPV %.6g, Acc %.6g, Sep %.6g\n",
              k.species, m.precision, m.recall, m.mmr, m.sn, m.ppv, m.acc, m.sep);
  const MatchFigures& c = k.controlFigures;
  if (k.controls > 0)
    std::printf(
        "species %u: controls (mean of %u draws): precision %.6g, recall %.6g, MMR %.6g, Sn %.6g, PPV %.6g, "
        "Acc %.6g, Sep %.6g\n",
        k.species, k.controls, c.precision, c.recall, c.mmr, c.sn, c.ppv, c.acc, c.sep);
}

unsigned threadCount(unsigned asked) {
  if (asked > 0) return asked;
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? hardware : 1;
}

// Reads every input and computes everything before a single file is written.
AnnotationResults analyse(const AnnotateOptions& opts, const RunResults& run, const GoOntology* go) {
  AnnotationResults results;
  results.run = &run;
  results.go = go;
  results.oboFile = opts.obo;
  results.maxP = opts.maxP;
  results.overlap = opts.overlap;
  results.seed = opts.seed;
  const unsigned threads = threadCount(opts.threads);
  std::set<unsigned> species;
  for (const auto& e : opts.gafs) species.insert(e.first);
  for (const auto& e : opts.references) species.insert(e.first);
  if (species.empty())  // controls alone: the structure of every species' parts and of their controls
    for (unsigned s = 0; s < run.speciesNum(); ++s) species.insert(s);
  for (unsigned s : species) {
    const NetworkProteins net = run.readNetwork(s);
    std::printf("species %u: network %s: %zu proteins\n", s, net.file.c_str(), net.names.size());
    const MatchedControls* controls = nullptr;
    if (opts.controls > 0) {
      results.controls.emplace_back(net, run.complexes(), s, opts.controls, opts.seed);
      controls = &results.controls.back();
      reportControls(*controls, opts.seed);
    }
    const auto gaf = opts.gafs.find(s);
    if (gaf != opts.gafs.end()) {
      const GafAnnotations annotations(gaf->second, *go);
      results.function.push_back(analyseFunction(s, run, net, *go, annotations, controls, threads));
      reportFunction(annotations, results.function.back());
    }
    const auto ref = opts.references.find(s);
    if (ref != opts.references.end()) {
      results.known.push_back(analyseKnown(s, run, net, ref->second, readReferenceComplexes(ref->second),
                                           opts.overlap, controls, threads));
      reportKnown(results.known.back());
    }
  }
  return results;
}

void writeTable(const std::string& dir, const char* name, const std::string& text) {
  const std::string path = dir + "/" + name;
  replaceFile(path, text);
  size_t rows = 0;
  for (char c : text) rows += c == '\n';
  std::printf("wrote %s (%zu rows)\n", path.c_str(), rows - 1);
}

int run(const AnnotateOptions& opts) {
  const RunResults run(opts.outDir, opts.input);
  checkSpecies(opts.gafs, "--gaf", run.speciesNum());
  checkSpecies(opts.references, "--reference", run.speciesNum());
  std::printf("run %s: %u species, %zu complexes, input %s\n", opts.outDir.c_str(), run.speciesNum(),
              run.complexes().size(), run.inPrefix().c_str());
  std::unique_ptr<GoOntology> go;
  if (opts.goEnrichment()) go = readOntology(opts.obo);
  const AnnotationResults results = analyse(opts, run, go.get());
  if (opts.goEnrichment()) {
    writeTable(opts.outDir, "go_enrichment.tsv", goEnrichmentTable(results));
    writeTable(opts.outDir, "function_summary.tsv", functionSummaryTable(results));
  }
  if (opts.knownComplexes()) {
    writeTable(opts.outDir, "reference_match.tsv", referenceMatchTable(results));
    writeTable(opts.outDir, "reference_hits.tsv", referenceHitsTable(results));
  }
  if (!results.controls.empty()) writeTable(opts.outDir, "controls.tsv", controlsTable(results));
  if (!opts.goEnrichment() && !opts.knownComplexes()) {
    std::printf("report not extended: the controls alone add nothing to it\n");
    return 0;
  }
  std::string why;
  switch (extendReport(results, &why)) {
    case ReportExtension::EXTENDED:
      std::printf("report %s/report.html: function summary and Function section written\n",
                  opts.outDir.c_str());
      break;
    case ReportExtension::NO_REPORT:
      std::printf("no report to extend: %s/report.html does not exist (the run used --report: 0)\n",
                  opts.outDir.c_str());
      break;
    case ReportExtension::NO_SLOTS:
      std::printf("report not extended: %s (a report of an older trellis2 has no place for it)\n",
                  why.c_str());
      break;
  }
  return 0;
}

}  // namespace

int annotateMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(annotateHelpText(), stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("%s %s\n", PROGRAM, TRELLIS2_VERSION);
      return 0;
    }
  }
  try {
    if (args.empty()) throw ToolError("no OUTDIR given", true);
    return run(parseAnnotateArgs(args));
  } catch (const ToolError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", PROGRAM, e.what());
    if (e.usage()) std::fprintf(stderr, "Try '%s --help'.\n", PROGRAM);
    return e.usage() ? 2 : 1;
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
    return 1;
  }
}
