#include "report/complex_links.h"

#include <set>
#include <utility>

namespace {

// Whether a similarity entry joins a and b, listed at either end.
bool similar(const Node* a, const Node* b) {
  for (const Node* from : {a, b}) {
    const Node* to = from == a ? b : a;
    for (const edge_t& h : from->getHomologs(to->m_speciesIdx))
      if (h.node == to) return true;
  }
  return false;
}

}  // namespace

ComplexLinks ComplexLinks::of(const Complex& c, uint speciesNum) {
  ComplexLinks links;
  for (byte s = 0; s < speciesNum; ++s) {
    for (auto i = c.nodesBegin(s); i != c.nodesEnd(s); ++i) {
      for (auto j = i + 1; j != c.nodesEnd(s); ++j) {
        const edge_t* e = nullptr;
        if (Network::areD1nodes(*i, *j, &e)) links.interactions.push_back({*i, *j, e->weight});
      }
    }
  }
  // Aligned nodes may share proteins, so one link can join two proteins of
  // several aligned nodes.
  std::set<std::pair<uint, uint>> seen;
  for (const VPath& path : c.paths()) {
    for (auto i = path.begin(); i != path.end(); ++i) {
      for (auto j = i + 1; j != path.end(); ++j) {
        if (*i == *j || !similar(*i, *j)) continue;
        const uint a = (*i)->m_id, b = (*j)->m_id;
        if (seen.insert(a < b ? std::make_pair(a, b) : std::make_pair(b, a)).second)
          links.similarities.push_back({*i, *j, 0});
      }
    }
  }
  return links;
}
