// The search pipeline: reading, the optional random passes, seed and complex
// search with filtering and refinement, and the output files. The costly
// results come from a PassResults: computed by this process, or read from the
// shard files of a split run. Every message goes to the console stream it is
// given.
#pragma once

#include <cstdio>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <utility>

#include "app/command_line.h"
#include "complexes/complex.h"
#include "network/network.h"
#include "report/run_summary.h"
#include "seeds/seed.h"

class ComplexesCrawler;
class ComplexesFilter;
class PassResults;

class Pipeline {
 public:
  Pipeline(const RunParams& params, PassResults& results, FILE* console)
      : m_params(params), m_results(results), m_console(console) {}

  // Beside the console: a line when a phase ends (what it found, the seconds
  // since start), and warnings about inputs that give an empty run. The modern
  // command line shows them; none are made by default.
  struct Notes {
    std::function<void(const std::string&)> step;
    std::function<void(const std::string&)> warning;
  };
  void setNotes(Notes notes) { m_notes = std::move(notes); }

  // Reading, the optional random passes, the real pass and the output files
  // (a stage of a split run: its shard file instead). Returns the exit status.
  int run();

  // Seed search of pass `pass` on a finalised network, then the seed overlap
  // filter; out receives the kept seeds, counts (when given) adds the seed
  // counts. False when this process stops after the seeds (a seeds stage).
  bool searchSeeds(const Network* network, uint pass, std::list<Seed>* out, PhaseCounts* counts);

  // Grows the seeds into complexes, filters them (when a filter is given: the
  // real pass) and refines the survivors; out receives the final complexes,
  // counts (when given) adds the complex counts. False when this process stops
  // after the growth (a grow stage).
  bool searchComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesFilter* filter, uint pass,
                       std::list<Complex>* out, PhaseCounts* counts);

 private:
  std::list<Complex> growComplexes(const Network* network, const std::list<Seed>& seeds, ComplexesCrawler& crawler,
                                   uint pass, bool randomPass);
  void filterRefinedComplexes(const ComplexesFilter& filter, std::list<Complex>* complexes);
  void randomPasses(const Network& network, ComplexesFilter* filter, PhaseCounts* counts);
  std::unique_ptr<Network> readingPhase();
  uint writeOutputs(const Network& network, const ComplexesFilter& filter, const std::list<Complex>& complexes,
                    RunSummary* summary);
  void elapsed() const;
  bool isRealPass(uint pass) const;
  std::string passName(uint pass) const;
  void step(const std::string& text) const;
  void warnAboutInputs(const Network& network) const;

  const RunParams& m_params;
  PassResults& m_results;
  FILE* const m_console;
  Notes m_notes;
};
