#include "seeds/seed.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "common/overlap_sweep.h"

// ---------------------------------------------------------------------------
// SeedFrontend, FrontendExpander

SeedFrontend::SeedFrontend()
    : m_nodes{nullptr, nullptr}, m_score(std::numeric_limits<weight_t>::infinity()), m_ids{0, 0} {}

FrontendExpander::FrontendExpander(const Network* net, SeedFrontend iniFront, byte specIdx,
                                   bool d2enabled_flg) {
  build(net, iniFront, specIdx, d2enabled_flg, &m_frontends);
}

void FrontendExpander::build(const Network* net, const SeedFrontend& iniFront, byte specIdx,
                             bool d2enabled_flg, std::vector<SeedFrontend>* frontends) {
  const edges_list_t& partners0 = iniFront.node(0)->getHomologs(specIdx);
  const edges_list_t& partners1 = iniFront.node(1)->getHomologs(specIdx);
  for (const edge_t& h0 : partners0) {
    for (const edge_t& h1 : partners1) {
      Node* m0 = h0.node;
      Node* m1 = h1.node;
      if (m0 == m1) continue;
      const edge_t* edge = nullptr;
      if (Network::areD1nodes(m0, m1, &edge)) {
        frontends->emplace_back(m0, m1, edge->score);
      } else if (d2enabled_flg && net->areD2nodes(m0, m1)) {
        frontends->emplace_back(m0, m1, net->scoreNonEdge(m0, m1));
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Seed

void Seed::append(const SeedFrontend& frontend) {
  TRELLIS_ASSERT(m_vpaths.size() == frontend.nodes());
  for (uint k = 0; k < frontend.nodes(); ++k) m_vpaths[k].append(frontend.node(k));
  m_score += frontend.m_score;
}

void Seed::append(const Seed* subSeed) {
  TRELLIS_ASSERT(m_vpaths.size() == subSeed->m_vpaths.size());
  for (size_t k = 0; k < m_vpaths.size(); ++k) {
    std::vector<Node*>& dst = m_vpaths[k].m_nodes;
    const std::vector<Node*>& src = subSeed->m_vpaths[k].m_nodes;
    dst.insert(dst.end(), src.begin(), src.end());
  }
  m_score += subSeed->m_score;
}

namespace {}  // namespace

double Seed::intersectRatio(const Seed& x) const { return overlapRatio(proteinIds(), x.proteinIds()); }

std::vector<uint32_t> Seed::proteinIds() const {
  std::vector<uint32_t> ids;
  for (const VPath& path : m_vpaths)
    for (const Node* n : path.m_nodes) ids.push_back(n->m_id);
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

void Seed::dbg_print(FILE* out) const {
  fprintf(out, "Seed: [ ");
  const size_t positions = m_vpaths.empty() ? 0 : m_vpaths[0].size();
  for (size_t i = 0; i < positions; ++i) {
    fprintf(out, "%s(", i == 0 ? "" : "--");
    for (size_t k = m_vpaths.size(); k-- > 0;) {
      // Aligned nodes of unequal length only arise from hand-built seeds;
      // the missing entries are left out rather than read past the end.
      if (i >= m_vpaths[k].size()) continue;
      fprintf(out, "%s%s", m_vpaths[k].m_nodes[i]->name(), k == 0 ? "" : ",");
    }
    fputs(")", out);
  }
  fprintf(out, "]\t(%f)\n", m_score);
}
