#include "report/cytoscape_files.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/text.h"
#include "report/complex_links.h"

void writeSif(FILE* f, const std::list<Complex>& complexes, uint speciesNum) {
  std::set<std::tuple<uint, uint, bool>> written;  // (smaller id, larger id, similarity)
  const auto writeOnce = [&](const ComplexLink& l, bool similarity) {
    const uint a = l.a->m_id, b = l.b->m_id;
    if (!written.emplace(std::min(a, b), std::max(a, b), similarity).second) return;
    std::fprintf(f, "%s\t%s\t%s\n", l.a->name(), similarity ? "sim" : "pp", l.b->name());
  };
  std::set<const Node*> linked;
  for (const Complex& c : complexes) {
    const ComplexLinks links = ComplexLinks::of(c, speciesNum);
    for (const ComplexLink& l : links.interactions) writeOnce(l, false);
    for (const ComplexLink& l : links.similarities) writeOnce(l, true);
    for (const auto* list : {&links.interactions, &links.similarities}) {
      for (const ComplexLink& l : *list) linked.insert({l.a, l.b});
    }
  }
  // A protein without a link inside its complexes still belongs in the network.
  for (const Complex& c : complexes) {
    for (byte s = 0; s < speciesNum; ++s) {
      for (auto it = c.nodesBegin(s); it != c.nodesEnd(s); ++it)
        if (linked.insert(*it).second) std::fprintf(f, "%s\n", (*it)->name());
    }
  }
}

void writeNodeTable(FILE* f, const std::list<Complex>& complexes, uint speciesNum, const Naming& naming) {
  std::vector<const Node*> order;
  std::map<const Node*, std::string> ids;  // protein -> "5|9"
  for (const Complex& c : complexes) {
    for (byte s = 0; s < speciesNum; ++s) {
      for (auto it = c.nodesBegin(s); it != c.nodesEnd(s); ++it) {
        std::string& list = ids[*it];
        if (list.empty()) order.push_back(*it);
        list += (list.empty() ? "" : "|") + std::to_string(c.id());
      }
    }
  }
  std::fprintf(f, "protein\tspecies\tcomplexes%s\n", naming.labels.found ? "\tlabel" : "");
  for (const Node* n : order) {
    std::fprintf(f, "%s\t%s\t%s", tsvField(n->m_name).c_str(), tsvField(naming.speciesKey(n->m_speciesIdx)).c_str(),
                 ids[n].c_str());
    if (naming.labels.found) std::fprintf(f, "\t%s", tsvField(naming.labelOf(n)).c_str());
    std::fputc('\n', f);
  }
}
