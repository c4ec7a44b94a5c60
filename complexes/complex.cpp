#include "complexes/complex.h"

#include <algorithm>
#include <functional>


namespace {

// Whether b is in a's similarity list towards b's species; false for a missing node.
bool listsHomolog(const Node* a, const Node* b) {
  if (a == nullptr || b == nullptr) return false;
  for (const edge_t& h : a->getHomologs(b->m_speciesIdx)) {
    if (h.node == b) return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------- Complex

Complex::Complex(uint id, const Network* pNet) : m_id(id), m_score(0), m_net(pNet) {}

void Complex::addPath(const VPath* path) {
  weight_t gain = 0;
  for (Node* n : *path) {
    if (!m_nodesSet.insert(n).second) continue;
    const byte s = n->m_speciesIdx;
    TRELLIS_ASSERT(s < MAX_SPECIES);
    for (const Node* p : m_nodesBySpec[s]) gain += m_net->scoreNodesPair(n, p);
    m_nodesBySpec[s].push_back(n);
  }
  m_VPaths.push_back(*path);
  m_VPaths.back().setScore(gain);
  m_score += gain;
}

std::vector<Node*>::const_iterator Complex::nodesBegin(byte s) const {
  TRELLIS_ASSERT(s < MAX_SPECIES);
  return m_nodesBySpec[s].begin();
}

std::vector<Node*>::const_iterator Complex::nodesEnd(byte s) const {
  TRELLIS_ASSERT(s < MAX_SPECIES);
  return m_nodesBySpec[s].end();
}

std::vector<uint32_t> Complex::proteinIds() const {
  std::vector<uint32_t> ids;
  for (const Node* n : m_nodesSet) ids.push_back(n->m_id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

void Complex::dbg_print(FILE* out) const {
  fprintf(out, "Complex n%3u:\n", m_id);
  for (const VPath& vp : m_VPaths) {
    vp.dbg_print(out);
    if (vp.size() == 3) {
      const Node* n0 = vp.getSpecieNode(0);
      const Node* n1 = vp.getSpecieNode(1);
      const Node* n2 = vp.getSpecieNode(2);
      const bool flags[3] = {
          listsHomolog(n0, n1) && listsHomolog(n1, n2),  // 0-1-2
          listsHomolog(n0, n2) && listsHomolog(n1, n0),  // 1-0-2
          listsHomolog(n0, n2) && listsHomolog(n1, n2),  // 0-2-1
      };
      fputc('\t', out);
      for (bool flag : flags) fprintf(out, "%s ", flag ? "1" : "0");
      fputs(" (0-1-2, 1-0-2, 0-2-1)", out);
    }
    fputc('\n', out);
  }
  fprintf(out, " %f\n", m_score);
}

void Complex::fprint(FILE* f) const {
  fprintf(f, "# Score: %.1lf\n", m_score);
  for (const VPath& vp : m_VPaths) {
    const char* sep = "";
    for (const Node* n : vp) {
      fprintf(f, "%s%s", sep, n->name());
      sep = ",";
    }
    fputc('\n', f);
  }
}

weight_t Complex::speciesScore(byte s) const {
  TRELLIS_ASSERT(s < MAX_SPECIES);
  const std::vector<Node*>& nodes = m_nodesBySpec[s];
  weight_t score = 0;
  for (const Node* a : nodes) {
    for (const Node* b : nodes) {
      if (a->m_id < b->m_id) score += m_net->scoreNodesPair(a, b);
    }
  }
  return score;
}

void Complex::fprint(byte s, FILE* f) const {
  const std::vector<Node*>& nodes = m_nodesBySpec[s];
  fprintf(f, "# Score: %.1lf\n", speciesScore(s));
  // The species list holds each protein once, in order of first occurrence
  // over the aligned nodes.
  for (const Node* n : nodes) fprintf(f, "%s\n", n->name());
}
