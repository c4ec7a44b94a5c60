// The check command: reads a prepared input set with the line rules of trellis2
// itself (network/input_line.h) and its reading and model code, without
// searching, and reports what a run would see and whether it would refuse.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tools/prep/drop_log.h"
#include "tools/prep/prep_options.h"

class TextInput;

class InputCheck {
 public:
  explicit InputCheck(const CheckOptions& opts);

  // Reads the files and writes the report to `out`. Returns 0, or 1 when
  // trellis2 would refuse the input or its run could find no complex (each
  // reason is in the report).
  int run(FILE* out);

 private:
  struct Protein {
    uint32_t species;
    uint64_t line;            // first line naming it
    bool linked = false;      // has an accepted similarity link to another species
    uint32_t sharedMask = 0;  // species whose file also names it (reported once each)
    std::vector<uint32_t> partners;
  };
  struct Species {
    std::string file;
    uint64_t lines = 0;
    uint64_t accepted = 0;  // interaction lines trellis2 keeps
    uint64_t distinctPairs = 0;
    uint64_t selfPairs = 0;
    uint64_t scoreLike = 0;  // skipped weights that look like STRING scores (whole numbers up to 1000)
    double minWeight = 0;
    double maxWeight = 0;
    size_t maxDegree = 0;
    std::string maxDegreeProtein;
    std::vector<uint32_t> proteins;  // ids in order of first appearance
    DropLog skipped;
  };
  struct SharedName {
    std::string name;
    uint32_t firstSpecies;
    uint64_t firstLine;
    uint32_t species;
    uint64_t line;
  };
  struct Similarity {
    std::string file;
    bool read = false;  // opened; else a refusal says why
    uint64_t lines = 0;
    uint64_t accepted = 0;
    uint64_t aboveThreshold = 0;
    uint64_t wideAboveThreshold = 0;  // above the threshold on lines of 12 or more columns
    uint64_t unknownPairs = 0;
    uint64_t selfPairs = 0;
    std::unordered_set<std::string> unknownNames;
    std::vector<std::pair<std::string, uint64_t>> unknownListed;  // the first few, with their line
    DropLog skipped;
  };

  // A file that trellis2 could not read is noted as a refusal.
  void readInteractions(uint32_t s);
  void readSimilarity();
  // The file opened as trellis2 opens it (plain text), or null with a refusal noted.
  std::unique_ptr<TextInput> openOrRefuse(const std::string& file);
  void addInteraction(uint32_t s, const std::string& a, const std::string& b, double w, uint64_t line);
  uint32_t protein(uint32_t s, const std::string& name, uint64_t line);
  void finishSpecies(uint32_t s);
  void noteUnknown(const std::string& name, uint64_t line);
  // A species without any similarity link to another one gives a run without
  // complexes; one whose proteins mostly have none gives a poor one. Both
  // usually mean that the similarity file names proteins otherwise than the
  // network does, so both show names of each.
  void checkLinks();
  std::string linkAdvice(uint32_t s, uint64_t unlinked) const;
  void refuse(const std::string& why) { m_refusals.push_back(why); }
  void refuseAsEmpty(const std::string& why) { m_emptyRun.push_back(why); }
  void warn(const std::string& what) { m_warnings.push_back(what); }

  void reportSpecies(FILE* out, uint32_t s, const std::vector<uint64_t>* hubPairs) const;
  void reportSimilarity(FILE* out) const;
  void reportSharedNames(FILE* out) const;
  void reportVerdict(FILE* out) const;

  const CheckOptions m_opts;
  std::vector<Species> m_species;
  Similarity m_similarity;
  std::vector<Protein> m_proteins;
  std::vector<const std::string*> m_names;  // by protein id
  std::unordered_map<std::string, uint32_t> m_ids;
  std::vector<SharedName> m_shared;
  uint64_t m_sharedCount = 0;
  std::vector<std::string> m_refusals;  // trellis2 would stop
  std::vector<std::string> m_emptyRun;  // trellis2 would run and find no complex
  std::vector<std::string> m_warnings;
};
