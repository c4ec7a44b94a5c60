// Interaction and similarity files of arbitrary content for a 2-3 species
// network. Input: a header line "<species> <E-value threshold> <homolog limit>",
// then the files separated by "%%%\n": one interaction file per species, then
// the similarity file (missing files are empty). The network read is checked
// for consistency, then finalised.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/error.h"
#include "fuzz_util.h"
#include "network/netbuilder.h"
#include "network/network.h"

namespace {

struct config_t {
  uint species = 2;
  double threshold = 1e-07;
  uint maxHomologs = 0;
};

config_t parseHeader(const std::string& header) {
  config_t cfg;
  std::vector<std::string> words = fuzzutil::splitWords(header, 3, 32);
  if (words.size() > 0) cfg.species = std::strtoul(words[0].c_str(), nullptr, 10) == 3 ? 3 : 2;
  if (words.size() > 1) {
    double t = std::strtod(words[1].c_str(), nullptr);
    if (std::isfinite(t) && t >= 0) cfg.threshold = t;
  }
  if (words.size() > 2) cfg.maxHomologs = std::strtoul(words[2].c_str(), nullptr, 10) % 5;
  return cfg;
}

bool hasEdgeTo(const edges_list_t& list, const Node* n) {
  for (const edge_t& e : list)
    if (e.node == n) return true;
  return false;
}

void checkNetwork(const Network& net, const config_t& cfg) {
  for (byte s = 0; s < net.SPECIES_NUM; ++s) {
    fuzzutil::check(net.layer(static_cast<byte>(s)).size() <= MAX_SPECNODES_NUM, "species size limit");
    for (const Node* n : net.layer(s)) {
      fuzzutil::check(!n->m_name.empty(), "empty protein name");
      for (char c : n->m_name)
        fuzzutil::check(c != '\0' && c != ' ' && c != '\t' && c != '\r' && c != '\n', "separator in a name");
      fuzzutil::check(net.getNodeByName(n->name()) == n, "name lookup");
      for (const edge_t& e : n->getD1()) {
        fuzzutil::check(e.node != n && e.node->m_speciesIdx == s, "interaction partner");
        fuzzutil::check(e.weight >= 0 && e.weight <= 1 + 1e-6, "interaction weight range");
        fuzzutil::check(hasEdgeTo(e.node->getD1(), n), "interaction symmetry");
      }
      for (byte t = 0; t < net.SPECIES_NUM; ++t) {
        if (cfg.maxHomologs) fuzzutil::check(n->getHomologsNum(t) <= cfg.maxHomologs, "homolog limit");
        for (const edge_t& h : n->getHomologs(t)) {
          fuzzutil::check(h.node != n && h.node->m_speciesIdx == t, "homolog partner");
          fuzzutil::check(h.weight > 0 && h.weight <= cfg.threshold + 1, "homolog weight range");
          fuzzutil::check(hasEdgeTo(h.node->getHomologs(s), n), "homolog symmetry");
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzutil::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> sections = fuzzutil::splitSections(data, size, 5);
  const config_t cfg = parseHeader(sections[0]);
  fuzzutil::ScratchDir dir;
  const std::string prefix = dir.file("in");
  for (uint i = 0; i <= cfg.species; ++i) {
    const std::string name = i < cfg.species ? "_int-" + std::to_string(i) + ".txt" : "_blast.txt";
    fuzzutil::writeFile(prefix + name, i + 1 < sections.size() ? sections[i + 1] : "");
  }
  try {
    Network net(cfg.species);
    NetworkBuiler builder(&net, cfg.threshold, cfg.maxHomologs);
    builder.readNetwork(prefix);
    checkNetwork(net, cfg);
    net.dbg_stats_print();
    weight_t pTrue[MAX_SPECIES];
    for (weight_t& p : pTrue) p = 2.0;
    net.finalize(0.8, pTrue);
  } catch (const Error&) {
    // an error exit of the program: reported, nothing more to check
  }
  return 0;
}
