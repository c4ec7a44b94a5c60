// What trellis2-annotate reads of a finished run: the species count and input
// prefix (manifest.tsv), the complexes in the order of complexes.tsv with their
// proteins per species (species_<s>/complex_<id>.txt), and the proteins of each
// species' network, taken from the interaction file exactly as the run took
// them.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

struct RunComplex {
  unsigned id = 0;
  std::vector<std::vector<std::string>> proteins;  // by species, in species-file order
};

// The proteins of one species' network.
struct NetworkProteins {
  std::string file;
  std::vector<std::string> names;  // in order of first appearance, as the network numbers them
  std::unordered_set<std::string> set;
  // Every interaction the network received, as indexes into names, in file order.
  std::vector<std::pair<uint32_t, uint32_t>> interactions;

  bool has(const std::string& name) const { return set.count(name) != 0; }
};

class RunResults {
 public:
  // Reads the run in outDir. inputOverride, when not empty, replaces the
  // manifest's input prefix; it also stands in for a missing manifest, the
  // species count then being that of the species_<s> directories. Throws
  // ToolError naming the file, the line and the value at fault.
  RunResults(const std::string& outDir, const std::string& inputOverride);

  const std::string& outDir() const { return m_outDir; }
  unsigned speciesNum() const { return m_speciesNum; }
  // The name the run gave species s (--species-names), else its index: as
  // trellis2's own tables show species.
  std::string speciesKey(unsigned s) const {
    return s < m_speciesNames.size() ? m_speciesNames[s] : std::to_string(s);
  }
  const std::string& inPrefix() const { return m_inPrefix; }
  // In the order of complexes.tsv (ascending ids when the run wrote no complexes.tsv).
  const std::vector<RunComplex>& complexes() const { return m_complexes; }

  // The network of species s, read from <input>_int-<s>.txt (gzip accepted).
  // Throws ToolError when the file cannot be read, or when a complex protein
  // of s is not in it (the run read other files).
  NetworkProteins readNetwork(unsigned s) const;

 private:
  void readManifest(const std::string& inputOverride);
  std::vector<unsigned> complexIds() const;
  void readComplex(unsigned id);

  std::string m_outDir;
  unsigned m_speciesNum = 0;
  std::vector<std::string> m_speciesNames;
  std::string m_inPrefix;
  std::vector<RunComplex> m_complexes;
};
